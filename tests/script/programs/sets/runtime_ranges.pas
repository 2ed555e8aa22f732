{ Constructors with members and ranges computed at run time, including an empty (reversed) range. }
var
  s: set of byte;
  lo, hi, i, n: integer;

function Count: integer;
var k: integer;
begin
  Result := 0;
  for k := 0 to 255 do
    if k in s then Inc(Result);
end;

begin
  lo := 3; hi := 6;
  s := [lo..hi, hi + 10];
  GameMessage(IntToStr(Count));
  s := [hi..lo];
  GameMessage(IntToStr(Count));
  s := [hi..lo, lo];
  GameMessage(IntToStr(Count));
  lo := 250;
  n := 0;
  for i := 0 to 9 do
    if i in [lo - 250 .. lo - 245, 8] then n := n * 10 + i;
  GameMessage(IntToStr(n));
  s := [200..lo + 5];
  GameMessage(IntToStr(Count));
end.
