var a: array[1..3] of integer;
begin
  a[4] := 1;
end.
