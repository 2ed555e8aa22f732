var calls: integer; b: boolean;
function Touch(v: boolean): boolean;
begin
  calls := calls + 1;
  Result := v;
end;
begin
  calls := 0;
  b := Touch(False) and Touch(True);
  GameMessage(IntToStr(calls));
  b := Touch(True) or Touch(True);
  GameMessage(IntToStr(calls));
  b := not (Touch(True) and Touch(False)) or Touch(True);
  GameMessage(IntToStr(calls));
  if b then GameMessage('true');
end.
