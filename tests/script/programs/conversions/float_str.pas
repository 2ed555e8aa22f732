var x: double;
begin
  x := StrToFloat('3.25');
  GameMessage(FloatToStr(x * 2));
  GameMessage(FloatToStr(StrToFloat('-1e3')));
  GameMessage(FloatToStr(0.5));
  GameMessage(FloatToStr(-0.75));
  GameMessage(FloatToStr(1234567890123));
  GameMessage(FloatToStr(2.0));
end.
