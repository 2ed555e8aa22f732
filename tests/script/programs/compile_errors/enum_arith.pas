type TDir = (dNorth, dEast);
var d: TDir;
begin
  d := dNorth + 1;
end.
