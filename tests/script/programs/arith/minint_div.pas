{ nofpc: Free Pascal evaluates these in 64 bits }
var a, b: integer;
begin
  a := -2147483647 - 1;
  b := -1;
  GameMessage(IntToStr(a div b));
  GameMessage(IntToStr(a mod b));
  GameMessage(IntToStr(a * b));
  GameMessage(IntToStr(-a));
  GameMessage(IntToStr(Abs(a)));
end.
