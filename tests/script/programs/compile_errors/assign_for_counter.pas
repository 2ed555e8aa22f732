var i: integer;
begin
  for i := 1 to 3 do i := 5;
end.
