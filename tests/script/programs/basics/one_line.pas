var a, b: integer; function Twice(x: integer): integer; begin Result := x * 2 end; begin a := 5; b := Twice(a); GameMessage(IntToStr(b)) end.
