var i: integer; x: double; s: single;
function Half(v: double): double;
begin
  Result := v / 2;
end;
begin
  i := 7;
  x := i;
  s := i;
  GameMessage(FloatToStr(x + s));
  GameMessage(FloatToStr(Half(i)));
  GameMessage(FloatToStr(Half(3)));
end.
