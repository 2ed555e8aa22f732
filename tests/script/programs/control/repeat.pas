var i: integer;
begin
  i := 0;
  repeat i := i + 3 until i > 10;
  GameMessage(IntToStr(i));
  repeat GameMessage('once') until True;
end.
