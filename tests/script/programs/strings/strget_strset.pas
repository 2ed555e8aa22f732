var s: string; c: char;
begin
  s := 'abc';
  c := StrGet(s, 2);
  GameMessage(c);
  GameMessage(StrGet2(s, 3));
  StrSet('Z', 1, s);
  GameMessage(s);
  WStrSet('Y', 3, s);
  GameMessage(s + WStrGet(s, 3));
end.
