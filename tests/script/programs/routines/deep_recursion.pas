function Depth(n: integer): integer;
begin
  if n = 0 then Result := 0 else Result := 1 + Depth(n - 1);
end;
begin
  GameMessage(IntToStr(Depth(900)));
end.
