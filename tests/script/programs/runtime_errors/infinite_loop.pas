var i: integer;
begin
  i := 0;
  while True do i := i + 1;
end.
