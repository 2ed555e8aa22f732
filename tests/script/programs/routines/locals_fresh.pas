procedure Counter;
var n: integer; s: string;
begin
  n := n * 0 + 1;
  s := s + 'x';
  GameMessage(IntToStr(n) + ' ' + s);
end;
begin
  Counter; Counter;
end.
