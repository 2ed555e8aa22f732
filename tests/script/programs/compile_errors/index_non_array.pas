var i: integer;
begin
  i[1] := 2;
end.
