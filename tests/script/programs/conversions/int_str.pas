var i: integer; c: cardinal; l: int64;
begin
  GameMessage(IntToStr(0) + ' ' + IntToStr(-123) + ' ' + IntToStr(2147483647));
  c := 4294967295;
  GameMessage(IntToStr(c));
  l := -9223372036854775807 - 1;
  GameMessage(IntToStr(l));
  i := StrToInt('  42');
  GameMessage(IntToStr(i + 1));
  GameMessage(IntToStr(StrToInt('-17')));
  GameMessage(IntToStr(StrToInt('$1F')));
  GameMessage(IntToStr(StrToIntDef('abc', -1)) + ' ' + IntToStr(StrToIntDef('99', -1)));
  GameMessage(IntToStr(StrToIntDef('', 5)));
end.
