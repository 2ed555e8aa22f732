var i: integer; x: double; c: cardinal;
begin
  i := 3; x := 2.5;
  if i > x then GameMessage('i > x');
  if x < i then GameMessage('x < i');
  if i = 3.0 then GameMessage('i = 3.0');
  c := 4000000000; i := -1;
  if c > i then GameMessage('c > i');
end.
