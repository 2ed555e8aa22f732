begin
  GameMessage('Hello, world');
end.
