var i: integer;
begin
  i := 'text';
end.
