const Ratio: double = 0.5;
begin
  Ratio := 1.0;
end.
