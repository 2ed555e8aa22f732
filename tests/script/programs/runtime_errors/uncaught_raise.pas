begin
  GameMessage('start');
  RaiseException(erCustomError, 'custom failure');
end.
