var a: integer; begin a := 1; GameMessage(IntToStr(a) + Foo); end.
