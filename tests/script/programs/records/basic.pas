type TPoint = record x, y: integer; end;
var p, q: TPoint;
begin
  p.x := 3; p.y := 4;
  q := p;
  q.x := 10;
  GameMessage(IntToStr(p.x) + ' ' + IntToStr(p.y) + ' ' + IntToStr(q.x) + ' ' + IntToStr(q.y));
end.
