type TArr = array[0..2] of integer;
var a, b: TArr;
begin
  a[0] := 1; a[1] := 2; a[2] := 3;
  b := a;
  b[0] := 100;
  GameMessage(IntToStr(a[0]) + ' ' + IntToStr(b[0]) + ' ' + IntToStr(b[2]));
end.
