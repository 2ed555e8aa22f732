var s: string;
begin
  s := 'abcdef';
  GameMessage('[' + Copy(s, 2, 3) + ']');
  GameMessage('[' + Copy(s, 0, 2) + ']');
  GameMessage('[' + Copy(s, -5, 3) + ']');
  GameMessage('[' + Copy(s, 5, 100) + ']');
  GameMessage('[' + Copy(s, 7, 1) + ']');
  GameMessage('[' + Copy(s, 3, 0) + ']');
  GameMessage('[' + Copy(s, 3, -1) + ']');
  GameMessage('[' + Copy(s, 6, 1) + ']');
  GameMessage('[' + Copy('', 1, 1) + ']');
end.
