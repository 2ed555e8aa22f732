var i: integer; c: char;
begin
  i := 10;
  GameMessage(IntToStr(Succ(i)) + ' ' + IntToStr(Pred(i)));
  c := 'm';
  GameMessage(Succ(c) + Pred(c));
end.
