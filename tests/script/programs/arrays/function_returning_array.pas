type TInts = array of integer;
function Range(n: integer): TInts;
var i: integer;
begin
  SetLength(Result, n);
  for i := 0 to n - 1 do Result[i] := i * 3;
end;
var r: TInts;
begin
  r := Range(4);
  GameMessage(IntToStr(Length(r)) + ' ' + IntToStr(r[3]));
  GameMessage(IntToStr(Range(6)[5]));
end.
