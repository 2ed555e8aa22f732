var a, b: integer;
begin
  a := 12; b := 10;
  GameMessage(IntToStr(a and b) + ' ' + IntToStr(a or b) + ' ' + IntToStr(a xor b));
  GameMessage(IntToStr(not a));
  GameMessage(IntToStr(not 0));
  a := -1;
  GameMessage(IntToStr(a and $FF));
end.
