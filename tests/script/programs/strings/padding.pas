begin
  GameMessage('[' + Padl('ab', 5) + ']');
  GameMessage('[' + Padr('ab', 5) + ']');
  GameMessage('[' + Padz('42', 5) + ']');
  GameMessage('[' + Padl('abcdef', 3) + ']');
  GameMessage('[' + Replicate('*', 4) + ']');
  GameMessage('[' + StringOfChar('-', 3) + ']');
  GameMessage('[' + StringOfChar('-', 0) + ']');
  GameMessage('[' + Replicate('x', -2) + ']');
end.
