var a: array of integer; i, j, t, n: integer; s: string;
begin
  n := 10;
  SetLength(a, n);
  for i := 0 to n - 1 do a[i] := (i * 7 + 3) mod 10;
  for i := 0 to n - 2 do
    for j := 0 to n - 2 - i do
      if a[j] > a[j + 1] then begin
        t := a[j]; a[j] := a[j + 1]; a[j + 1] := t;
      end;
  s := '';
  for i := 0 to n - 1 do s := s + IntToStr(a[i]);
  GameMessage(s);
end.
