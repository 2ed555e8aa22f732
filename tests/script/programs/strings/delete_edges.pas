var s: string;
begin
  s := 'abcdef'; Delete(s, 2, 2); GameMessage('[' + s + ']');
  s := 'abcdef'; Delete(s, 0, 2); GameMessage('[' + s + ']');
  s := 'abcdef'; Delete(s, 7, 2); GameMessage('[' + s + ']');
  s := 'abcdef'; Delete(s, 5, 100); GameMessage('[' + s + ']');
  s := 'abcdef'; Delete(s, 1, 0); GameMessage('[' + s + ']');
  s := 'abcdef'; Delete(s, 3, -2); GameMessage('[' + s + ']');
  s := 'abcdef'; Delete(s, 1, 6); GameMessage('[' + s + ']');
end.
