function Safe(a, b: integer): integer;
begin
  try
    Result := a div b;
  except
    Result := -1;
    Exit;
  end;
  Result := Result * 10;
end;
begin
  GameMessage(IntToStr(Safe(10, 2)) + ' ' + IntToStr(Safe(1, 0)));
end.
