var i: integer;
begin
  i := 99;
  case i of
    1: GameMessage('one');
    2: GameMessage('two');
  end;
  case i of 1: GameMessage('x') else GameMessage('fallback'); GameMessage('second') end;
  GameMessage('done');
end.
