const A: array[1..3] of integer = (1, 2);
begin
end.
