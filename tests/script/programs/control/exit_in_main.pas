var i: integer;
begin
  for i := 1 to 10 do begin
    if i = 3 then Exit;
    GameMessage(IntToStr(i));
  end;
  GameMessage('not reached');
end.
