var a: array[-2..2] of string; i: integer; s: string;
begin
  for i := -2 to 2 do a[i] := IntToStr(i);
  s := '';
  for i := High(a) downto Low(a) do s := s + a[i] + ',';
  GameMessage(s);
end.
