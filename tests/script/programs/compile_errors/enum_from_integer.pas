type TDir = (dNorth, dEast);
var d: TDir;
begin
  d := 1;
end.
