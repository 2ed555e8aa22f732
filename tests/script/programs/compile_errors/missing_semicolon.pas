var i: integer
begin
  i := 1;
end.
