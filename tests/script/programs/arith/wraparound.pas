var i, j: integer; c: cardinal; b: byte; w: word; s: shortint; sm: smallint; l: int64;
begin
  i := 2147483647; i := i + 1;
  GameMessage(IntToStr(i));
  j := -2147483647 - 1; j := j - 1;
  GameMessage(IntToStr(j));
  i := 65536; i := i * 65536;
  GameMessage(IntToStr(i));
  i := 100000; i := i * 100000;
  GameMessage(IntToStr(i));
  c := 0; c := c - 1;
  GameMessage(IntToStr(c));
  b := 255; b := b + 1;
  GameMessage(IntToStr(b));
  b := 200; b := b * 2;
  GameMessage(IntToStr(b));
  w := 0; w := w - 1;
  GameMessage(IntToStr(w));
  s := 127; s := s + 1;
  GameMessage(IntToStr(s));
  sm := -32768; sm := sm - 1;
  GameMessage(IntToStr(sm));
  l := 9223372036854775807; l := l + 1;
  GameMessage(IntToStr(l));
end.
