var i: integer;
begin
  for i := 1 to 4 do
    if i = 1 then GameMessage('one')
    else if i = 2 then GameMessage('two')
    else if i = 3 then begin GameMessage('three') end
    else GameMessage('many');
end.
