{ Nested routines calling themselves, each other (one declared forward) and the routine they are
  declared in, with each call reaching the right frame of the outer routine. }
function Digits(n: integer): string;
var base: integer;

  function Rec(k: integer): string;
  begin
    if k < base then Result := IntToStr(k)
    else Result := Rec(k div base) + IntToStr(k mod base);
  end;

begin
  base := 2;
  Result := Rec(n);
end;

function Depth(n: integer): integer;
var mine: integer;

  procedure IsOdd(k: integer); forward;

  procedure IsEven(k: integer);
  begin
    if k > 0 then IsOdd(k - 1) else mine := mine + 1000;
  end;

  procedure IsOdd(k: integer);
  begin
    mine := mine + 1;
    if k > 0 then IsEven(k - 1);
  end;

  function Inner: integer;
  begin
    // Recursion through the outer function: every level has its own `mine`.
    if n > 0 then Inner := Depth(n - 1) + mine else Inner := mine;
  end;

begin
  mine := n * 10;
  IsEven(n);
  Result := Inner;
end;

begin
  GameMessage(Digits(37) + ' ' + Digits(1024));
  GameMessage(IntToStr(Depth(3)));
end.
