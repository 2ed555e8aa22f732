type
  TPoint = record x, y: integer; end;
  TRect = record a, b: TPoint; name: string; end;
var r, s: TRect;
begin
  r.a.x := 1; r.a.y := 2; r.b.x := 3; r.b.y := 4; r.name := 'box';
  s := r;
  s.b.y := 40; s.name := s.name + '2';
  GameMessage(r.name + IntToStr(r.b.y) + ' ' + s.name + IntToStr(s.b.y) + IntToStr(s.a.x));
end.
