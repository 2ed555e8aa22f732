{ Typed constants declared inside routines (using the routine's own constants), copied into
  variables (the copy can change, the constant cannot), passed by value and by const. }
type
  TRow = array[0..2] of integer;

function Sum(const r: TRow): integer;
begin
  Sum := r[0] + r[1] + r[2];
end;

function Bumped(r: TRow): integer;
begin
  r[0] := r[0] + 100;
  Bumped := Sum(r);
end;

function Lookup(i: integer): string;
const
  Base = 10;
  Names: array[0..2] of string = ('a', 'b', 'c');
  Scores: TRow = (Base, Base * 2, Base + 1);
begin
  Lookup := Names[i] + IntToStr(Scores[i]);
end;

const
  Row: TRow = (1, 2, 3);
var
  copy: TRow;
begin
  copy := Row;
  copy[1] := 50;
  GameMessage(IntToStr(Sum(Row)) + ' ' + IntToStr(Sum(copy)) + ' ' + IntToStr(Bumped(Row)) + ' ' + IntToStr(Row[0]));
  GameMessage(Lookup(0) + Lookup(1) + Lookup(2));
end.
