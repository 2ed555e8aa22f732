procedure Change(a: integer; s: string);
begin
  a := a + 1;
  s[1] := 'X';
  GameMessage(IntToStr(a) + s);
end;
var n: integer; t: string;
begin
  n := 5; t := 'abc';
  Change(n, t);
  GameMessage(IntToStr(n) + t);
end.
