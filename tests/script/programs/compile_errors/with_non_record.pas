var i: integer;
begin
  with i do i := 1;
end.
