function Sum5(a, b, c, d, e: integer): integer;
begin
  Result := a + b * 10 + c * 100 + d * 1000 + e * 10000;
end;
function Mix(i: integer; s: string; x: double; b: boolean; c: char): string;
begin
  Result := IntToStr(i) + s + FloatToStr(x) + c;
  if b then Result := Result + '!';
end;
begin
  GameMessage(IntToStr(Sum5(1, 2, 3, 4, 5)));
  GameMessage(Mix(7, 'x', 2.5, True, 'c'));
end.
