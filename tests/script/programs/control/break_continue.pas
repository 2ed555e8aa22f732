var i, j, s: integer;
begin
  s := 0;
  for i := 1 to 10 do begin
    if i mod 2 = 0 then continue;
    if i > 7 then break;
    s := s + i;
  end;
  GameMessage(IntToStr(s));
  i := 0;
  while True do begin
    i := i + 1;
    if i = 5 then break;
  end;
  GameMessage(IntToStr(i));
  s := 0;
  for i := 1 to 3 do
    for j := 1 to 3 do begin
      if j = 2 then continue;
      if i = 3 then break;
      s := s + i * 10 + j;
    end;
  GameMessage(IntToStr(s));
  i := 0;
  repeat
    i := i + 1;
    if i < 3 then continue;
    break;
  until False;
  GameMessage(IntToStr(i));
end.
