var x, y: double; s: single;
begin
  x := 2.5; y := -1.25;
  GameMessage(FloatToStr(x * y));
  GameMessage(FloatToStr(x - y));
  GameMessage(FloatToStr(-x));
  s := 0.1;
  x := s;
  GameMessage(FloatToStr(x));
  x := 0.1;
  GameMessage(FloatToStr(x));
  GameMessage(FloatToStr(1e20));
  GameMessage(FloatToStr(1.5e-7));
  GameMessage(FloatToStr(123456.789));
  GameMessage(FloatToStr(0.00001));
  GameMessage(FloatToStr(1/3));
  GameMessage(FloatToStr(100));
end.
