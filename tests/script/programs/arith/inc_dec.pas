var i: integer; b: byte; c: char; l: int64;
begin
  i := 5; Inc(i); Inc(i, 10); Dec(i, 3); Dec(i);
  GameMessage(IntToStr(i));
  b := 255; Inc(b);
  GameMessage(IntToStr(b));
  b := 0; Dec(b);
  GameMessage(IntToStr(b));
  c := 'a'; Inc(c, 2);
  GameMessage(c);
  l := 5000000000; Inc(l, 5000000000);
  GameMessage(IntToStr(l));
  i := 2147483647; Inc(i);
  GameMessage(IntToStr(i));
end.
