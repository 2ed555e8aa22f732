var i, n: integer; log: string;
begin
  log := '';
  for i := 1 to 5 do begin
    try
      if i = 2 then continue;
      if i = 4 then break;
      log := log + IntToStr(i);
    finally
      log := log + 'f';
    end;
  end;
  GameMessage(log);
  n := 0;
  while True do
    try
      try
        n := n + 1;
        if n = 3 then break;
      finally
        log := log + '<' + IntToStr(n) + '>';
      end;
    finally
      log := log + '.';
    end;
  GameMessage(log);
end.
