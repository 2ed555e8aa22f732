var x: integer;
begin
  x(1);
end.
