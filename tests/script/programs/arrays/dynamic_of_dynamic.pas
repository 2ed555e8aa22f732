type TRow = array of integer;
var grid: array of TRow; i, j, s: integer;
begin
  SetLength(grid, 3);
  for i := 0 to 2 do begin
    SetLength(grid[i], i + 1);
    for j := 0 to i do grid[i][j] := i + j;
  end;
  s := 0;
  for i := 0 to 2 do
    for j := 0 to High(grid[i]) do s := s + grid[i][j];
  GameMessage(IntToStr(s));
end.
