var a, b: boolean;
begin
  a := True; b := False;
  if a then if b then GameMessage('ab') else GameMessage('a not b');
  a := False;
  if a then if b then GameMessage('x') else GameMessage('y');
  GameMessage('end');
end.
