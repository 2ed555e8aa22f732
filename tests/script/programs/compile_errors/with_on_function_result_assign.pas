type TP = record x, y: integer; end;
function Make: TP; begin Result.x := 1; Result.y := 2; end;
begin
  with Make do x := 5;
end.
