procedure Inc2(var x: integer);
begin
  x := x + 2;
end;
begin
  Inc2(5);
end.
