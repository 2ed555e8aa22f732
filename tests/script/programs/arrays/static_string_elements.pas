type TNames = array[1..3] of string;
var a, b: TNames;
begin
  a[1] := 'x'; a[2] := 'y'; a[3] := 'z';
  b := a;
  b[2] := b[2] + '!';
  GameMessage(a[1] + a[2] + a[3] + ' ' + b[1] + b[2] + b[3]);
end.
