begin
  gamemessage('lower');
  GAMEMESSAGE('upper');
  setint('k', 2);
  GameMessage(IntToStr(GETINT('k')));
end.
