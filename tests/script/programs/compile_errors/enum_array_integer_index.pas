type TDir = (dNorth, dEast); TCounts = array[TDir] of integer;
var c: TCounts;
begin
  c[0] := 1;
end.
