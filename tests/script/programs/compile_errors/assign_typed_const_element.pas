const Dirs: array[0..1] of integer = (1, 2);
begin
  Dirs[0] := 5;
end.
