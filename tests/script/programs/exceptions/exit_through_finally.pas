function F: integer;
begin
  Result := 1;
  try
    Result := 2;
    Exit;
  finally
    Result := Result + 40;
  end;
  Result := 100;
end;
begin
  GameMessage(IntToStr(F));
end.
