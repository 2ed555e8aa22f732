var a, b: array of integer;
begin
  SetLength(a, 2);
  a[0] := 5;
  b := a;
  b[0] := 9;
  GameMessage(IntToStr(a[0]));
  SetLength(b, 3);
  b[0] := 1;
  GameMessage(IntToStr(a[0]) + ' ' + IntToStr(b[0]));
end.
