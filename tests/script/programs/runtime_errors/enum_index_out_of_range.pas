{ A value cast into an enumeration beyond its last name, used as an index of an array indexed by
  that enumeration, is caught like any index out of range. }
type
  TDir = (dNorth, dEast, dSouth, dWest);
var
  counts: array[TDir] of integer;
  d: TDir;
begin
  d := TDir(7);
  counts[d] := 1;
  GameMessage('not reached');
end.
