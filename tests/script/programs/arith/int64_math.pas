var a, b: int64; i: integer;
begin
  a := 3000000000;
  b := a * 3;
  GameMessage(IntToStr(b));
  i := 2000000000;
  a := i;
  a := a + i;
  GameMessage(IntToStr(a));
  GameMessage(IntToStr(a div 7) + ' ' + IntToStr(a mod 7));
  a := -a;
  GameMessage(IntToStr(a));
  GameMessage(Int64ToStr(StrToInt64('-9000000000000') + 1));
end.
