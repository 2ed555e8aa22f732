begin
  GameMessage(FloatToStr(Sqrt(-1)));
end.
