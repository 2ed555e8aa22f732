var i: integer;
begin
  Include(i, 3);
end.
