{ nofpc }
var i, r: integer; ok: boolean; x: double;
begin
  ok := True;
  for i := 1 to 1000 do begin
    r := Random(10);
    if (r < 0) or (r > 9) then ok := False;
    x := Random;
    if (x < 0) or (x >= 1) then ok := False;
  end;
  if ok then GameMessage('random in range');
end.
