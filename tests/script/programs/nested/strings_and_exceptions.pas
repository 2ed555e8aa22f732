{ nofpc: the dialect's exception routines.
  Nested routines with managed locals of their own and of the outer routine, an exception raised
  two levels down and caught in the outer routine, and try/finally inside a nested routine. }
procedure Run;
var trace: string;

  procedure Deep(level: integer);
  var mine: string;
  begin
    mine := 'L' + IntToStr(level);
    try
      trace := trace + mine + ' ';
      if level = 3 then RaiseException(erCustomError, 'too deep at ' + mine);
      Deep(level + 1);
    finally
      trace := trace + '/' + mine + ' ';
    end;
  end;

begin
  trace := '';
  try
    Deep(1);
  except
    trace := trace + ExceptionParam;
  end;
  GameMessage(trace);
end;

begin
  Run;
end.
