{ nofpc }
function Down(n: integer): integer;
begin
  Result := Down(n + 1);
end;
begin
  try
    Down(0);
  except
    GameMessage('caught: ' + IntToStr(ExceptionType) + ' ' + IntToStr(erOutOfStackRange));
  end;
end.
