function G(x: integer): string;
begin
  Result := 'start';
  try
    if x > 0 then begin
      Result := 'positive';
      Exit;
    end;
    Result := 'other';
  finally
    if x = 2 then Result := 'overridden';
  end;
end;
begin
  GameMessage(G(1) + ' ' + G(2) + ' ' + G(0));
end.
