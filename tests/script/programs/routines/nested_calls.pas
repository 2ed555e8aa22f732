function Add(a, b: integer): integer; begin Result := a + b end;
function Mul(a, b: integer): integer; begin Result := a * b end;
function Name(n: integer): string; begin Result := 'n' + IntToStr(n) end;
begin
  GameMessage(IntToStr(Add(Mul(2, 3), Add(Mul(4, 5), 1))));
  GameMessage(Name(Add(1, 2)) + Name(Mul(Add(1, 1), 5)));
end.
