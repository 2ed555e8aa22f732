var a, b: boolean;
begin
  a := True; b := not a;
  if a and not b then GameMessage('1');
  if a or b then GameMessage('2');
  if a xor b then GameMessage('3');
  if not (a xor True) then GameMessage('4');
  if (1 < 2) = True then GameMessage('5');
  if False < True then GameMessage('6');
  b := 3 > 2;
  if b then GameMessage('7');
end.
