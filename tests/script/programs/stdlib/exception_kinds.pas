{ nofpc }
begin
  GameMessage(IntToStr(erNoError) + ' ' + IntToStr(erOutOfRange) + ' ' + IntToStr(erDivideByZero) + ' ' + IntToStr(erCustomError));
  GameMessage(ExceptionToString(erCustomError, 'plain text'));
  GameMessage(ExceptionToString(erException, 'wrapped'));
end.
