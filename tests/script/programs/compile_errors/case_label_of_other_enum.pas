type TDir = (dNorth, dEast); TCol = (cRed, cBlue);
var d: TDir;
begin
  case d of
    cRed: GameMessage('x');
  end;
end.
