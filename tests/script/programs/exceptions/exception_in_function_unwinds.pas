{ nofpc }
var depth: integer;
function Dive(n: integer): string;
var local: string;
begin
  local := 'level' + IntToStr(n);
  if n = 0 then RaiseException(erCustomError, 'bottom');
  Result := Dive(n - 1) + local;
end;
begin
  try
    GameMessage(Dive(5));
  except
    GameMessage('unwound: ' + ExceptionParam);
  end;
  GameMessage(Copy(Dive(1), 1, 0) + 'not reached');
end.
