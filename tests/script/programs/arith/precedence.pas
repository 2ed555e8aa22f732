begin
  GameMessage(IntToStr(2 + 3 * 4));
  GameMessage(IntToStr((2 + 3) * 4));
  GameMessage(IntToStr(20 - 6 - 4));
  GameMessage(IntToStr(100 div 10 div 5));
  GameMessage(IntToStr(-2 * 3));
  GameMessage(IntToStr(2 * -3));
  GameMessage(IntToStr(7 mod 4 * 2));
  GameMessage(IntToStr(1 + 2 shl 3));
  GameMessage(IntToStr(6 and 3 or 8));
  GameMessage(IntToStr(6 or 3 and 8));
end.
