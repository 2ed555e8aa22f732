type TBag = record items: array[1..3] of integer; n: integer; end;
var b, c: TBag; i: integer;
begin
  b.n := 3;
  for i := 1 to 3 do b.items[i] := i * 11;
  c := b;
  c.items[2] := 0;
  GameMessage(IntToStr(b.items[2]) + ' ' + IntToStr(c.items[2]) + ' ' + IntToStr(c.n));
end.
