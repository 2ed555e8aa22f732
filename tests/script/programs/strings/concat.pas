var s, t: string; c: char;
begin
  s := 'abc'; t := 'def';
  GameMessage(s + t);
  c := 'x';
  GameMessage(s + c);
  GameMessage(c + s);
  GameMessage(c + c);
  s := s + s;
  GameMessage(s);
  t := '';
  GameMessage(t + s + t);
end.
