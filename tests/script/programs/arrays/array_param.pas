type TInts = array of integer;
function Sum(const a: TInts): integer;
var i: integer;
begin
  Result := 0;
  for i := 0 to High(a) do Result := Result + a[i];
end;
procedure Fill(var a: TInts; n: integer);
var i: integer;
begin
  SetLength(a, n);
  for i := 0 to n - 1 do a[i] := i + 1;
end;
var v: TInts;
begin
  Fill(v, 4);
  GameMessage(IntToStr(Sum(v)));
end.
