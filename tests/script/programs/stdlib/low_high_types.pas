begin
  GameMessage(IntToStr(Low(integer)) + ' ' + IntToStr(High(integer)));
  GameMessage(IntToStr(Low(byte)) + ' ' + IntToStr(High(byte)) + ' ' + IntToStr(High(word)));
  GameMessage(IntToStr(Low(shortint)) + ' ' + IntToStr(High(smallint)));
  GameMessage(IntToStr(High(cardinal)));
  GameMessage(IntToStr(Ord(High(char))) + ' ' + IntToStr(Ord(High(boolean))));
end.
