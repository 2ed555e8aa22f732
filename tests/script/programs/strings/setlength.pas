var s: string;
begin
  s := 'abcdef';
  SetLength(s, 3);
  GameMessage(s + ' ' + IntToStr(Length(s)));
  SetLength(s, 0);
  GameMessage('[' + s + ']');
  s := 'xy';
  SetLength(s, 4);
  GameMessage(IntToStr(Length(s)) + ' ' + IntToStr(Ord(s[3])));
end.
