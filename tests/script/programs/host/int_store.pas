begin
  GameMessage(IntToStr(GetInt('missing')));
  SetInt('a', 1);
  SetInt('a', 5);
  SetInt('b', -3);
  GameMessage(IntToStr(GetInt('a') + GetInt('b')));
  GameMessage(IntToStr(GetInt('A')));
end.
