const
  Limit: integer = 7;
  Greeting: string = 'hi';
  Ratio: double = 0.25;
  W: word = 65535;
begin
  GameMessage(IntToStr(Limit * 2) + Greeting);
  GameMessage(FloatToStr(Ratio));
  GameMessage(IntToStr(W));
end.
