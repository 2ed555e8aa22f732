function F(a, b: integer): integer;
begin
  Result := a + b;
end;
begin
  GameMessage(IntToStr(F(1)));
end.
