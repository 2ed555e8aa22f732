{ nofpc }
begin
  try
    try
      RaiseException(erCustomError, 'first');
    except
      GameMessage('inner ' + ExceptionParam);
      RaiseLastException;
    end;
  except
    GameMessage('outer ' + ExceptionParam);
  end;
end.
