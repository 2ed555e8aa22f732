type TP = record x, y: integer; end;
const P: TP = (y: 1; x: 2);
begin
end.
