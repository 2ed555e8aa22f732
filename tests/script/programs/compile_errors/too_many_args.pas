procedure P(a: integer);
begin
end;
begin
  P(1, 2);
end.
