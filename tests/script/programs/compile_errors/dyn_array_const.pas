const A: array of integer = (1, 2);
begin
end.
