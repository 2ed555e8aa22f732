{ nofpc }
var a: array of string;
begin
  SetArrayLength(a, 3);
  a[2] := 'last';
  GameMessage(IntToStr(GetArrayLength(a)) + a[2]);
end.
