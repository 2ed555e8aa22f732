var b1, b2: byte; w1, w2: word; i: integer;
begin
  b1 := 200; b2 := 100;
  i := b1 + b2;
  GameMessage(IntToStr(i));
  i := b2 - b1;
  GameMessage(IntToStr(i));
  w1 := 60000; w2 := 60000;
  i := w1 + w2;
  GameMessage(IntToStr(i));
  GameMessage(IntToStr(b1 * w1));
end.
