var calls: integer; a: array of integer; i: integer;
function Touch(v: boolean): boolean;
begin
  calls := calls + 1;
  Result := v;
end;
begin
  calls := 0;
  if False and Touch(True) then GameMessage('no');
  if True or Touch(True) then GameMessage('yes');
  GameMessage(IntToStr(calls));
  if Touch(True) and Touch(False) then GameMessage('no');
  GameMessage(IntToStr(calls));
  SetLength(a, 2);
  i := 5;
  if (i < Length(a)) and (a[i] = 0) then GameMessage('bad') else GameMessage('guarded');
  while (i >= 4) and (a[i - 4] = 0) do i := i - 1;
  GameMessage(IntToStr(i));
end.
