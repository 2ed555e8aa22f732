type TDir = (dNorth, dEast);
var s: set of TDir;
begin
  s := [dNorth, 1];
end.
