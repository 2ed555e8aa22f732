type TP = record x: integer; end;
var p: TP;
begin
  p.z := 1;
end.
