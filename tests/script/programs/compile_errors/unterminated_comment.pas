begin { never closed
  GameMessage('abc');
end.
