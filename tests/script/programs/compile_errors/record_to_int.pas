type TP = record x: integer; end;
var p: TP; i: integer;
begin
  i := p;
end.
