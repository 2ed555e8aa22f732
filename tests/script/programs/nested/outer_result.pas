{ A nested routine sets the result of the function it is declared in, by the function's name and by
  Result; a nested function has its own Result. }
function Total(n: integer): integer;

  procedure SetByName;
  begin
    Total := n * 2;
  end;

  procedure AddByResult(k: integer);
  begin
    Result := Result + k;
  end;

  function Square(k: integer): integer;
  begin
    Result := k * k;
  end;

begin
  SetByName;
  AddByResult(Square(n));
end;

function Label_(i: integer): string;
  procedure Fill;
  begin
    Label_ := 'item' + IntToStr(i);
  end;
begin
  Fill;
  Result := Result + '!';
end;

begin
  GameMessage(IntToStr(Total(3)) + ' ' + Label_(7));
end.
