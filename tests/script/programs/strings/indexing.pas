var s: string; i: integer; n: integer;
begin
  s := 'Hello';
  GameMessage(s[1] + s[5]);
  s[1] := 'J';
  GameMessage(s);
  n := 0;
  for i := 1 to Length(s) do
    if s[i] = 'l' then n := n + 1;
  GameMessage(IntToStr(n));
end.
