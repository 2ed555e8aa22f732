var a: array[1..3] of integer; i: integer;
begin
  i := 4;
  a[i] := 1;
end.
