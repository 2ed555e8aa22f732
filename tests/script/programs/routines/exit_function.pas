function Find(const s: string; c: char): integer;
var i: integer;
begin
  Result := -1;
  for i := 1 to Length(s) do
    if s[i] = c then begin
      Result := i;
      Exit;
    end;
end;
function Sign(x: integer): integer;
begin
  if x < 0 then Exit(-1);
  if x > 0 then Exit(1);
  Result := 0;
end;
begin
  GameMessage(IntToStr(Find('hello', 'l')) + ' ' + IntToStr(Find('hello', 'z')));
  GameMessage(IntToStr(Sign(-5)) + ' ' + IntToStr(Sign(0)) + ' ' + IntToStr(Sign(9)));
end.
