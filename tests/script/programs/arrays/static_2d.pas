var m: array[0..2, 0..3] of integer; i, j, s: integer;
begin
  for i := 0 to 2 do
    for j := 0 to 3 do
      m[i, j] := i * 10 + j;
  s := 0;
  for i := 0 to 2 do s := s + m[i][3];
  GameMessage(IntToStr(s) + ' ' + IntToStr(m[2, 1]));
end.
