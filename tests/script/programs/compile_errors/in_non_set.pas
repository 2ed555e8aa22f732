var i: integer;
begin
  if 3 in i then GameMessage('x');
end.
