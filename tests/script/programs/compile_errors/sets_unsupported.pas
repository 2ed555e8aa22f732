var i: integer;
begin
  if i in [1, 2] then GameMessage('x');
end.
