procedure Swap(var a, b: integer);
var t: integer;
begin
  t := a; a := b; b := t;
end;
procedure AddTo(var s: string; const suffix: string);
begin
  s := s + suffix;
end;
var x, y: integer; s: string;
begin
  x := 1; y := 2;
  Swap(x, y);
  GameMessage(IntToStr(x) + ' ' + IntToStr(y));
  s := 'a';
  AddTo(s, 'b'); AddTo(s, 'c');
  GameMessage(s);
end.
