program Demo;
var i: integer;
begin
  i := 2;
  GameMessage(IntToStr(i));
end.
