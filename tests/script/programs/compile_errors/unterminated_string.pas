begin
  GameMessage('abc);
end.
