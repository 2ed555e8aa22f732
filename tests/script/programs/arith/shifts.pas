var i: integer; c: cardinal;
begin
  i := 1;
  GameMessage(IntToStr(i shl 4));
  i := -16;
  GameMessage(IntToStr(i shr 2));
  GameMessage(IntToStr(i shl 1));
  c := $80000000;
  GameMessage(IntToStr(c shr 31));
  i := $40000000;
  GameMessage(IntToStr(i shl 1));
  GameMessage(IntToStr(256 shr 4));
end.
