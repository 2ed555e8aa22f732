var a, b: integer;
begin
  a := 1; b := 0;
  try
    a := a div b;
    GameMessage('not reached');
  except
    GameMessage('caught division');
  end;
  GameMessage('after ' + IntToStr(a));
end.
