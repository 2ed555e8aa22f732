const N: integer = (1, 2);
begin
end.
