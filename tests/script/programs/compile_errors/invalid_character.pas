begin
  GameMessage('a') ? 
end.
