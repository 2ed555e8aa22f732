var a: array of string; i: integer; s: string;
begin
  SetLength(a, 4);
  for i := 0 to 3 do a[i] := Replicate('*', i);
  s := '';
  for i := 0 to 3 do s := s + '[' + a[i] + ']';
  GameMessage(s);
  a[2] := a[2] + a[3];
  GameMessage(a[2]);
end.
