type TDir = (dNorth = 1, dEast);
begin
end.
