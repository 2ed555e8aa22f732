var i, s: integer;
begin
  i := 0; s := 0;
  while i < 10 do begin i := i + 1; s := s + i end;
  GameMessage(IntToStr(s));
  while False do GameMessage('never');
end.
