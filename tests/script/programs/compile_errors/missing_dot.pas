begin
  GameMessage('a');
end
