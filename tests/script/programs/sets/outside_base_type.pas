{ in with a value outside the set's base type is false, as for any value not in the set. }
type
  TSmall = 0..15;
  TDir = (dNorth, dEast, dSouth, dWest);
var
  s: set of byte;
  small: set of TSmall;
  dirs: set of TDir;
  i: integer;
  d: TDir;
begin
  s := [0, 1, 44, 255];
  i := 300;
  if i in s then GameMessage('300 in') else GameMessage('300 out');
  i := 256;
  if i in s then GameMessage('256 in') else GameMessage('256 out');
  i := -1;
  if i in s then GameMessage('-1 in') else GameMessage('-1 out');
  i := 300 mod 256;
  if i in s then GameMessage('44 in') else GameMessage('44 out');
  small := [1..3];
  i := 17;
  if i in small then GameMessage('17 in') else GameMessage('17 out');
  i := 2;
  if i in small then GameMessage('2 in') else GameMessage('2 out');
  dirs := [dNorth..dWest];
  d := TDir(200);
  if d in dirs then GameMessage('200 in') else GameMessage('200 out');
end.
