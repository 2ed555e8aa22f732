{ nofpc: Free Pascal leaves these to chance (its range checks are off).
  Members outside 0..255 never reach a set: a run-time range keeps its part inside 0..255,
  Include of such a value changes nothing, and in is false for them at any width. }
var
  s: set of byte;
  lo, hi: integer;
  big: int64;
begin
  lo := -5; hi := 2;
  s := [lo..hi];
  if s = [0..2] then GameMessage('-5..2 is 0..2');
  lo := 250; hi := 300;
  s := [lo..hi];
  if s = [250..255] then GameMessage('250..300 is 250..255');
  lo := -1000; hi := 1000;
  s := [lo..hi];
  if s = [0..255] then GameMessage('-1000..1000 is everything');
  s := [];
  lo := 256;
  Include(s, lo);
  lo := -1;
  Include(s, lo);
  Exclude(s, lo);
  if s = [] then GameMessage('still empty');
  s := [0];
  big := 4294967296;
  if big in s then GameMessage('2^32 in') else GameMessage('2^32 out');
  big := -9223372036854775807;
  if big in s then GameMessage('min in') else GameMessage('min out');
end.
