begin
  GameMessage(IntToStr(Missing));
end.
