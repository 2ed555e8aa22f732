var a, b: string;
begin
  a := 'shared';
  b := a;
  b[1] := 'S';
  GameMessage(a + ' ' + b);
  a := a + '!';
  GameMessage(a + ' ' + b);
end.
