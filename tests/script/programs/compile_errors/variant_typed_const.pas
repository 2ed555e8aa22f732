const V: Variant = 5;
var x: integer;
begin
  x := V;
  GameMessage(IntToStr(x));
end.
