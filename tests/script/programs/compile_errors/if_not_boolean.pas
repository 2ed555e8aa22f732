var i: integer;
begin
  i := 1;
  if i then GameMessage('x');
end.
