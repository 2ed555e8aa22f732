{ with on elements of static and dynamic arrays of records: the element is chosen once, when the
  statement starts, even if the index variable changes inside. }
type
  TCell = record v: integer; tag: string; end;
var
  fixed: array[1..3] of TCell;
  dyn: array of TCell;
  grid: array[0..1, 0..1] of TCell;
  i: integer;
begin
  for i := 1 to 3 do begin
    fixed[i].v := i;
    fixed[i].tag := '';
  end;
  i := 2;
  with fixed[i] do begin
    i := 3;
    v := v * 100;
    tag := 'was 2';
  end;
  GameMessage(IntToStr(fixed[2].v) + ' ' + fixed[2].tag + ' ' + IntToStr(fixed[3].v));
  SetLength(dyn, 4);
  for i := 0 to 3 do
    with dyn[i] do begin
      v := i * i;
      tag := IntToStr(i);
    end;
  GameMessage(IntToStr(dyn[3].v) + dyn[0].tag + dyn[1].tag + dyn[2].tag + dyn[3].tag);
  with grid[1, 0] do v := 42;
  GameMessage(IntToStr(grid[1, 0].v));
end.
