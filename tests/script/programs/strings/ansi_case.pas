{ nofpc: Windows-1251 letters }
var s: string;
begin
  s := AnsiUpperCase('abc'#$E0#$E1#$FF#$B8);
  GameMessage(IntToStr(Ord(s[4])) + ' ' + IntToStr(Ord(s[5])) + ' ' + IntToStr(Ord(s[6])) + ' ' + IntToStr(Ord(s[7])));
  GameMessage(Copy(s, 1, 3));
  s := AnsiLowerCase('XYZ'#$C0#$DF#$A8);
  GameMessage(IntToStr(Ord(s[4])) + ' ' + IntToStr(Ord(s[5])) + ' ' + IntToStr(Ord(s[6])));
  GameMessage(Copy(s, 1, 3));
  s := UpperCase('a'#$E0);
  GameMessage(IntToStr(Ord(s[2])));
end.
