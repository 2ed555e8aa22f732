{ nofpc }
var v: Variant; i: integer; d: double; b: boolean; s: string;
begin
  v := '123';
  i := v;
  GameMessage(IntToStr(i * 2));
  v := 7;
  s := v;
  GameMessage(s + '!');
  v := True;
  b := v;
  if b then GameMessage('bool');
  v := 3;
  d := v;
  GameMessage(FloatToStr(d / 2));
  v := Null;
  try
    i := v;
  except
    GameMessage('null conversion fails');
  end;
end.
