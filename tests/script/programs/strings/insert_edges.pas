var s: string;
begin
  s := 'abc'; Insert('XY', s, 2); GameMessage('[' + s + ']');
  s := 'abc'; Insert('XY', s, 1); GameMessage('[' + s + ']');
  s := 'abc'; Insert('XY', s, 0); GameMessage('[' + s + ']');
  s := 'abc'; Insert('XY', s, -3); GameMessage('[' + s + ']');
  s := 'abc'; Insert('XY', s, 4); GameMessage('[' + s + ']');
  s := 'abc'; Insert('XY', s, 99); GameMessage('[' + s + ']');
  s := ''; Insert('XY', s, 5); GameMessage('[' + s + ']');
  s := 'abc'; Insert('', s, 2); GameMessage('[' + s + ']');
end.
