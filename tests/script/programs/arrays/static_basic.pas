var a: array[1..5] of integer; i, s: integer;
begin
  for i := 1 to 5 do a[i] := i * i;
  s := 0;
  for i := Low(a) to High(a) do s := s + a[i];
  GameMessage(IntToStr(s) + ' ' + IntToStr(Length(a)) + ' ' + IntToStr(a[3]));
end.
