var n: integer;
procedure Bump;
begin
  n := n + 1;
end;
function Three: integer;
begin
  Result := 3;
end;
begin
  n := 0;
  Bump; Bump();
  GameMessage(IntToStr(n + Three + Three()));
end.
