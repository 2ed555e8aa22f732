var a: array of integer;
begin
  SetLength(a, 3);
  a[3] := 1;
end.
