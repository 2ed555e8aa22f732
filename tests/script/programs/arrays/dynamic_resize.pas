var a: array of integer; i: integer; s: string;
begin
  SetLength(a, 3);
  a[0] := 1; a[1] := 2; a[2] := 3;
  SetLength(a, 5);
  s := '';
  for i := 0 to High(a) do s := s + IntToStr(a[i]);
  GameMessage(s);
  SetLength(a, 2);
  GameMessage(IntToStr(Length(a)) + IntToStr(a[1]));
  SetLength(a, 0);
  GameMessage(IntToStr(Length(a)));
end.
