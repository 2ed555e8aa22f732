type TP = record x, y: integer; end;
const Origin: TP = (x: 0; y: 0);
procedure Move(var p: TP); begin p.x := 1; end;
begin
  Move(Origin);
end.
