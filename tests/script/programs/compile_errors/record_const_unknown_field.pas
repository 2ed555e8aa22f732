type TP = record x, y: integer; end;
const P: TP = (x: 1; z: 2);
begin
end.
