{ nofpc }
var v: Variant; i: integer; s: string;
begin
  if VarIsEmpty(v) then GameMessage('empty');
  GameMessage(IntToStr(VarType(v)));
  v := 42;
  GameMessage(IntToStr(VarType(v)));
  i := v;
  GameMessage(IntToStr(i + 1));
  v := 'text';
  s := v;
  GameMessage(s + ' ' + IntToStr(VarType(v)));
  v := Null;
  if VarIsNull(v) then GameMessage('null');
  v := Unassigned;
  if VarIsEmpty(v) then GameMessage('empty again');
  v := 2.5;
  GameMessage(FloatToStr(v));
end.
