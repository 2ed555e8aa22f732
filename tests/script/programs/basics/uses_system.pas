uses SYSTEM;
begin
  GameMessage('uses ok');
end.
