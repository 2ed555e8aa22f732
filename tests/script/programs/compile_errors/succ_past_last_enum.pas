type TDir = (dNorth, dEast);
var d: TDir;
begin
  d := Succ(dEast);
end.
