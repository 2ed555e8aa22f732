var b: byte; c: char; i: integer;
begin
  i := 300;
  b := i;
  GameMessage(IntToStr(b));
  b := Byte(i + 5);
  GameMessage(IntToStr(b));
  c := Chr(66);
  GameMessage(c + Char(67));
  GameMessage(IntToStr(Ord(True)) + IntToStr(Ord(False)));
  i := Integer('A');
  GameMessage(IntToStr(i));
  GameMessage(IntToStr(Word(-1)) + ' ' + IntToStr(ShortInt(200)) + ' ' + IntToStr(SmallInt(40000)));
end.
