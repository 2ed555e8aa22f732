function Fact(n: integer): integer;
begin
  if n <= 1 then Result := 1 else Result := n * Fact(n - 1);
end;
function Fib(n: integer): integer;
begin
  if n < 2 then Fib := n else Fib := Fib(n - 1) + Fib(n - 2);
end;
begin
  GameMessage(IntToStr(Fact(10)));
  GameMessage(IntToStr(Fib(20)));
end.
