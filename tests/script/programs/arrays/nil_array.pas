var a: array of integer;
begin
  if a = nil then GameMessage('nil at start');
  SetLength(a, 1);
  if a <> nil then GameMessage('not nil');
  a := nil;
  GameMessage(IntToStr(Length(a)));
end.
