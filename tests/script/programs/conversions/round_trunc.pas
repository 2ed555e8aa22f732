begin
  GameMessage(IntToStr(Round(2.5)) + ' ' + IntToStr(Round(3.5)) + ' ' + IntToStr(Round(-2.5)) + ' ' + IntToStr(Round(-3.5)));
  GameMessage(IntToStr(Round(2.4)) + ' ' + IntToStr(Round(2.6)) + ' ' + IntToStr(Round(-2.6)));
  GameMessage(IntToStr(Round(0.5)) + ' ' + IntToStr(Round(1.5)));
  GameMessage(IntToStr(Trunc(2.9)) + ' ' + IntToStr(Trunc(-2.9)));
  GameMessage(FloatToStr(Int(3.7)) + ' ' + FloatToStr(Int(-3.7)));
  GameMessage(FloatToStr(Frac(3.75)));
  GameMessage(IntToStr(Trunc(1e10)));
end.
