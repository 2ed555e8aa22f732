procedure Risky;
var z: integer;
begin
  z := 0;
  try
    z := 10 div z;
  finally
    GameMessage('cleanup');
  end;
  GameMessage('not reached');
end;
begin
  try
    Risky;
  except
    GameMessage('outer caught');
  end;
end.
