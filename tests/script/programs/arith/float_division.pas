var i, j: integer; x: double;
begin
  i := 7; j := 2;
  x := i / j;
  GameMessage(FloatToStr(x));
  x := 1 / 4;
  GameMessage(FloatToStr(x));
  x := i + 0.5;
  GameMessage(FloatToStr(x));
  x := i;
  GameMessage(FloatToStr(x / 3));
  GameMessage(FloatToStr(10 / 5));
end.
