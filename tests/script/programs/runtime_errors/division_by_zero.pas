var a, b: integer;
begin
  a := 10; b := 0;
  GameMessage('before');
  GameMessage(IntToStr(a div b));
  GameMessage('after');
end.
