const N = 5;
begin
  N := 6;
end.
