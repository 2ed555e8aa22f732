begin
  GameMessage(FloatToStr(Sqrt(16)) + ' ' + FloatToStr(Sqrt(2)));
  GameMessage(FloatToStr(Sin(0)) + ' ' + FloatToStr(Cos(0)));
  GameMessage(FloatToStr(Round(Sin(Pi / 2) * 1000) / 1000));
  GameMessage(FloatToStr(Pi));
  GameMessage(IntToStr(Abs(-5)) + ' ' + FloatToStr(Abs(-2.5)));
  GameMessage(IntToStr(Sqr(7)) + ' ' + FloatToStr(Sqr(1.5)));
end.
