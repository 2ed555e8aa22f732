var s: set of byte;
begin
  if 'a' in s then GameMessage('x');
end.
