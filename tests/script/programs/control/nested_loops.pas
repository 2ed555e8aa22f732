var i, j, k, n: integer;
begin
  n := 0;
  for i := 1 to 10 do
    for j := i to 10 do
      for k := j to 10 do
        n := n + 1;
  GameMessage(IntToStr(n));
end.
