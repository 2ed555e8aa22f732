procedure Twice(var x: integer);
begin
  x := x * 2;
end;
var a: array of integer; s: array[1..2] of integer;
begin
  SetLength(a, 2);
  a[1] := 21;
  Twice(a[1]);
  s[2] := 4;
  Twice(s[2]);
  GameMessage(IntToStr(a[1]) + ' ' + IntToStr(s[2]));
end.
