{ nofpc }
var log: string;
begin
  log := '';
  try
    try
      RaiseException(erCustomError, 'inner');
    finally
      log := log + 'F1 ';
    end;
  except
    log := log + 'E:' + ExceptionParam + ' ';
  end;
  try
    try
      log := log + 'T2 ';
    except
      log := log + 'never ';
    end;
  finally
    log := log + 'F2';
  end;
  GameMessage(log);
end.
