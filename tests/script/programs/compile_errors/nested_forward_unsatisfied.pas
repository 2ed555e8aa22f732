procedure Outer;
  procedure Later; forward;
begin
  Later;
end;
begin
  Outer;
end.
