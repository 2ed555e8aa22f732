var a: array of integer; i, s: integer;
begin
  GameMessage(IntToStr(Length(a)));
  SetLength(a, 10);
  for i := 0 to High(a) do a[i] := i;
  s := 0;
  for i := 0 to Length(a) - 1 do s := s + a[i];
  GameMessage(IntToStr(s) + ' ' + IntToStr(Low(a)) + ' ' + IntToStr(High(a)));
end.
