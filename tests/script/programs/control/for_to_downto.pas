var i, s: integer;
begin
  s := 0;
  for i := 1 to 5 do s := s * 10 + i;
  GameMessage(IntToStr(s));
  s := 0;
  for i := 5 downto 1 do s := s * 10 + i;
  GameMessage(IntToStr(s));
  s := 0;
  for i := 5 to 1 do s := s + 1;
  GameMessage(IntToStr(s));
  for i := 3 to 3 do GameMessage('single ' + IntToStr(i));
end.
