{ nofpc }
begin
  try
    RaiseException(erCustomError, 'my problem');
  except
    GameMessage('caught: ' + ExceptionParam);
    GameMessage(IntToStr(ExceptionType) + ' ' + IntToStr(erCustomError));
    GameMessage(ExceptionToString(ExceptionType, ExceptionParam));
  end;
end.
