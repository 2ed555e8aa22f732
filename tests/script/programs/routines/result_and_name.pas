function F(x: integer): integer;
begin
  F := x;
  Result := Result * 2;
  if x > 0 then F := F(x - 1) + Result;
end;
begin
  GameMessage(IntToStr(F(21)));
end.
