procedure Grow(var s: string; n: integer);
var i: integer;
begin
  for i := 1 to n do s := s + Chr(Ord('a') + i - 1);
end;
var t: string;
begin
  t := '>';
  Grow(t, 5);
  Grow(t, 3);
  GameMessage(t);
end.
