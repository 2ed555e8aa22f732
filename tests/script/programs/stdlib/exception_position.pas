{ nofpc }
var z: integer;
begin
  z := 0;
  try
    z := 5 div z;
  except
    GameMessage(IntToStr(ExceptionType) + ' ' + IntToStr(erDivideByZero));
    GameMessage(IntToStr(ExceptionPos));
    GameMessage(IntToStr(ExceptionProc));
    GameMessage(ExceptionToString(ExceptionType, ExceptionParam));
  end;
end.
