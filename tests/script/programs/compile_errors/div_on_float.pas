var x: double;
begin
  x := 1.5 div 2;
end.
