begin
  GameMessage('a');

