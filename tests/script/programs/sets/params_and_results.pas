{ Sets passed by value (the callee's changes stay inside), by var and by const, returned from
  functions, and held in records and arrays. }
type
  TSet = set of byte;
  THolder = record s: TSet; n: integer; end;

function Evens(limit: integer): TSet;
var i: integer;
begin
  Result := [];
  i := 0;
  while i <= limit do begin
    Include(Result, i);
    i := i + 2;
  end;
end;

procedure Spoil(s: TSet);
begin
  s := s + [99];
  if 99 in s then GameMessage('inside: 99');
end;

procedure Grow(var s: TSet; x: integer);
begin
  s := s + [x];
end;

function Count(const s: TSet): integer;
var i: integer;
begin
  Result := 0;
  for i := 0 to 255 do
    if i in s then Inc(Result);
end;

var
  a: TSet;
  h: THolder;
  list: array of THolder;
begin
  a := Evens(10);
  Spoil(a);
  GameMessage(IntToStr(Count(a)) + ' ' + IntToStr(Ord(99 in a)));
  Grow(a, 7);
  GameMessage(IntToStr(Count(a)));
  h.s := Evens(4) * [2, 3, 4];
  h.n := Count(h.s);
  SetLength(list, 2);
  list[0] := h;
  list[1].s := [1];
  Grow(list[1].s, 200);
  GameMessage(IntToStr(list[0].n) + ' ' + IntToStr(Count(list[1].s)) + ' ' + IntToStr(Count(Evens(6) + [1])));
  if Evens(2) = [0, 2] then GameMessage('equal results');
end.
