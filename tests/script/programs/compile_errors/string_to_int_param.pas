begin
  GameMessage(IntToStr('x'));
end.
