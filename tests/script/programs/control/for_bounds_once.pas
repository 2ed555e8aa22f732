var i, n, calls: integer;
function Limit: integer;
begin
  calls := calls + 1;
  Result := n;
end;
begin
  n := 3; calls := 0;
  for i := 1 to Limit do n := n + 1;
  GameMessage(IntToStr(n) + ' ' + IntToStr(calls));
  n := 5;
  for i := 1 to n do begin n := 1; end;
  GameMessage(IntToStr(i));
end.
