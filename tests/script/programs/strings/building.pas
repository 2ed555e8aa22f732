var s: string; i: integer;
begin
  s := '';
  for i := 1 to 26 do s := s + Chr(64 + i);
  GameMessage(s);
  s := '';
  for i := 1 to 1000 do s := s + 'ab';
  GameMessage(IntToStr(Length(s)) + ' ' + Copy(s, 999, 4));
end.
