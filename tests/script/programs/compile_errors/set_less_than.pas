var s: set of char;
begin
  if s < ['a'] then GameMessage('x');
end.
