var s: single; d: double;
begin
  s := 1 / 3;
  d := s;
  GameMessage(FloatToStr(d));
  s := 16777217;
  GameMessage(FloatToStr(s));
  d := 16777217;
  GameMessage(FloatToStr(d));
end.
