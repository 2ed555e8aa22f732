{ Constructors with members and ranges computed at run time, including an empty (reversed) range. }
var
  s: set of byte;
  lo, hi, i, n: integer;
begin
  lo := 3; hi := 6;
  s := [lo..hi, hi + 10];
  if s = [3, 4, 5, 6, 16] then GameMessage('3..6 and 16');
  s := [hi..lo];
  if s = [] then GameMessage('reversed: empty');
  s := [hi..lo, lo];
  if s = [3] then GameMessage('reversed and 3: 3');
  lo := 250;
  n := 0;
  for i := 0 to 9 do
    if i in [lo - 250 .. lo - 245, 8] then n := n * 10 + i;
  GameMessage(IntToStr(n));
  s := [200..lo + 5];
  if (s >= [200, 255]) and not (199 in s) and (s <= [200..255]) then GameMessage('200..255');
end.
