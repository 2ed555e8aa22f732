function Area(w, h: integer): integer;
const Scale = 2;
type TPair = record a, b: integer; end;
var p: TPair;
begin
  p.a := w * Scale; p.b := h;
  Result := p.a * p.b;
end;
begin
  GameMessage(IntToStr(Area(3, 4)));
end.
