var a: array[0..3] of char; s: string; i: integer;
begin
  for i := 0 to 3 do a[i] := Chr(Ord('w') + i);
  s := '';
  for i := 0 to 3 do s := s + a[i];
  GameMessage(s);
end.
