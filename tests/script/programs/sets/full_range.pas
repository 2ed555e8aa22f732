{ A set of byte holding the whole range 0..255: every value from 0 to 255 is in it, nothing else,
  and removing the ends leaves 254 members. }
var
  s, t: set of byte;
  i, n: integer;
  c: char;
  cs: set of char;
begin
  s := [0..255];
  n := 0;
  for i := -10 to 300 do
    if i in s then Inc(n);
  GameMessage(IntToStr(n));
  Exclude(s, 0);
  Exclude(s, 255);
  n := 0;
  for i := 0 to 255 do
    if i in s then Inc(n);
  GameMessage(IntToStr(n));
  t := [0..255] - s;
  if (0 in t) and (255 in t) and not (1 in t) and not (254 in t) then GameMessage('ends only');
  cs := [#0..#255];
  n := 0;
  for c := #0 to #255 do
    if c in cs then Inc(n);
  GameMessage(IntToStr(n));
  if [0..255] = s + [0, 255] then GameMessage('whole again');
end.
