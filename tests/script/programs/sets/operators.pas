{ Union, difference, intersection, equality, inequality, subset and superset, on variables and
  constants, and sets built from several ranges. }
type
  TChars = set of char;

function Show(const s: TChars): string;
var c: char;
begin
  Result := '';
  for c := #32 to #126 do
    if c in s then Result := Result + c;
  Result := '[' + Result + ']';
end;

var
  a, b, e: TChars;
begin
  a := ['a'..'f', 'x'];
  b := ['d'..'h'];
  e := [];
  GameMessage(Show(a + b) + Show(a - b) + Show(a * b) + Show(b - a) + Show(e));
  GameMessage(Show(a + ['z'] - ['a'..'c'] * a));
  if a = ['x', 'a'..'f'] then GameMessage('a = same members in another order');
  if a <> b then GameMessage('a <> b');
  if ['d', 'e'] <= a then GameMessage('[d,e] <= a');
  if not (a <= b) then GameMessage('not a <= b');
  if a >= a * b then GameMessage('a >= a*b');
  if e <= a then GameMessage('[] <= a');
  if a * e = [] then GameMessage('a*[] = []');
  if [] = e then GameMessage('[] = e');
  b := b + b;
  b := b - ['h'];
  GameMessage(Show(b));
end.
