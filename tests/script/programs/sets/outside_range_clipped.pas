{ nofpc: Free Pascal leaves these to chance (its range checks are off).
  Members outside 0..255 never reach a set: a run-time range keeps its part inside 0..255,
  Include of such a value changes nothing, and in is false for them at any width. }
var
  s: set of byte;
  lo, hi: integer;
  big: int64;

function Count: integer;
var k: integer;
begin
  Result := 0;
  for k := 0 to 255 do
    if k in s then Inc(Result);
end;

begin
  lo := -5; hi := 2;
  s := [lo..hi];
  GameMessage(IntToStr(Count));
  lo := 250; hi := 300;
  s := [lo..hi];
  GameMessage(IntToStr(Count));
  lo := -1000; hi := 1000;
  s := [lo..hi];
  GameMessage(IntToStr(Count));
  s := [];
  lo := 256;
  Include(s, lo);
  lo := -1;
  Include(s, lo);
  Exclude(s, lo);
  GameMessage(IntToStr(Count));
  s := [0];
  big := 4294967296;
  if big in s then GameMessage('2^32 in') else GameMessage('2^32 out');
  big := -9223372036854775807;
  if big in s then GameMessage('min in') else GameMessage('min out');
end.
