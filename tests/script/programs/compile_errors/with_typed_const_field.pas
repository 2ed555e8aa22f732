type TP = record x, y: integer; end;
const Origin: TP = (x: 0; y: 0);
begin
  with Origin do x := 1;
end.
