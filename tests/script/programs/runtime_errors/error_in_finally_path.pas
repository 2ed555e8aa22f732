procedure P;
begin
  try
    RaiseException(erCustomError, 'from try');
  finally
    GameMessage('finally runs');
  end;
end;
begin
  P;
  GameMessage('not reached');
end.
