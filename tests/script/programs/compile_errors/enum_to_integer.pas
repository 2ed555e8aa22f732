type TDir = (dNorth, dEast);
var i: integer;
begin
  i := dEast;
end.
