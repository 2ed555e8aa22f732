begin
  GameMessage(IntToStr(StrToInt('forty')));
end.
