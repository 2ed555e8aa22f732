{ nofpc }
var a: array of integer; s: string; i: integer; r: array[1..2] of integer;
begin
  try SetLength(a, 1); a[5] := 1; except GameMessage('array index') end;
  try s := 'ab'; GameMessage(s[3]); except GameMessage('string index') end;
  try i := StrToInt('12x'); except GameMessage('conversion: ' + ExceptionParam) end;
  i := 3;
  try r[i] := 1; except GameMessage('static index') end;
  try GameMessage(FloatToStr(1.0 / (i - 3))); except GameMessage('float division') end;
  GameMessage('survived');
end.
