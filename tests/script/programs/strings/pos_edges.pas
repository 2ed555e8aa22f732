begin
  GameMessage(IntToStr(Pos('b', 'abc')));
  GameMessage(IntToStr(Pos('bc', 'abcbc')));
  GameMessage(IntToStr(Pos('x', 'abc')));
  GameMessage(IntToStr(Pos('', 'abc')));
  GameMessage(IntToStr(Pos('abc', '')));
  GameMessage(IntToStr(Pos('abcd', 'abc')));
  GameMessage(IntToStr(Pos('abc', 'abc')));
  GameMessage(IntToStr(Pos('c', 'abc')));
end.
