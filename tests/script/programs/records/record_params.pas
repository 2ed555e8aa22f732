type TPoint = record x, y: integer; end;
function Len2(p: TPoint): integer;
begin
  p.x := p.x * p.x;
  Result := p.x + p.y * p.y;
end;
procedure Move(var p: TPoint; dx: integer);
begin
  p.x := p.x + dx;
end;
function Make(x, y: integer): TPoint;
begin
  Result.x := x; Result.y := y;
end;
var a: TPoint;
begin
  a := Make(3, 4);
  GameMessage(IntToStr(Len2(a)) + ' ' + IntToStr(a.x));
  Move(a, 10);
  GameMessage(IntToStr(a.x));
  GameMessage(IntToStr(Make(5, 6).y));
end.
