var s: string;
begin
  s := 'hello';
  GameMessage(IntToStr(Low(s)) + ' ' + IntToStr(High(s)));
end.
