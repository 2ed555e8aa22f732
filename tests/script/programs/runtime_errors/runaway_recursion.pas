procedure Forever(n: integer);
begin
  Forever(n + 1);
end;
begin
  Forever(0);
end.
