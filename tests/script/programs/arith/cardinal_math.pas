var c, d: cardinal; i: integer;
begin
  c := 4000000000;
  d := 1000000000;
  GameMessage(IntToStr(c + d));
  GameMessage(IntToStr(c div 3));
  GameMessage(IntToStr(c mod 7));
  i := -1;
  GameMessage(IntToStr(c + i));
  c := 3;
  d := 5;
  GameMessage(IntToStr(c - d));
end.
