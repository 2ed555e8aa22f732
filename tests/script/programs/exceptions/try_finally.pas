var i: integer;
begin
  i := 0;
  try
    i := 1;
  finally
    GameMessage('finally ' + IntToStr(i));
  end;
  GameMessage('after');
end.
