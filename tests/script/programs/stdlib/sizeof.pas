type TRec = record a: integer; b: byte; end;
var i: integer; d: double;
begin
  GameMessage(IntToStr(SizeOf(integer)) + ' ' + IntToStr(SizeOf(byte)) + ' ' + IntToStr(SizeOf(word)) + ' ' +
              IntToStr(SizeOf(int64)) + ' ' + IntToStr(SizeOf(double)) + ' ' + IntToStr(SizeOf(char)));
  GameMessage(IntToStr(SizeOf(i)) + ' ' + IntToStr(SizeOf(d)));
end.
