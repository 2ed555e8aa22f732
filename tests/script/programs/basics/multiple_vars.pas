var a, b, c: integer; s, t: string; x, y: double;
begin
  a := 1; b := 2; c := a + b;
  s := 'p'; t := s + 'q';
  x := 0.5; y := x + x;
  GameMessage(IntToStr(c) + t + FloatToStr(y));
end.
