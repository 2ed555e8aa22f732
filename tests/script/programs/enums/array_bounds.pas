{ Arrays indexed by an enumeration (by the type or by a range of it), with Low and High giving
  enumeration values, and a two-dimensional table indexed by two enumerations. }
type
  TDir = (dNorth, dEast, dSouth, dWest);
  TPiece = (pPawn, pRook, pKing);
  TStep = record dx, dy: integer; end;
var
  steps: array[TDir] of TStep;
  names: array[dEast..dWest] of string;
  cost: array[TPiece, TDir] of integer;
  d: TDir;
  p: TPiece;
  total: integer;
  text: string;
begin
  steps[dNorth].dx := 0; steps[dNorth].dy := -1;
  steps[dEast].dx := 1; steps[dEast].dy := 0;
  steps[dSouth].dx := 0; steps[dSouth].dy := 1;
  steps[dWest].dx := -1; steps[dWest].dy := 0;
  names[dEast] := 'east'; names[dSouth] := 'south'; names[dWest] := 'west';
  text := '';
  for d := Low(names) to High(names) do
    text := text + names[d] + '(' + IntToStr(steps[d].dx) + ',' + IntToStr(steps[d].dy) + ') ';
  GameMessage(text);
  for p := pPawn to pKing do
    for d := dNorth to dWest do cost[p, d] := (Ord(p) + 1) * 10 + Ord(d);
  total := 0;
  for p := Low(TPiece) to High(TPiece) do total := total + cost[p, dWest];
  GameMessage(IntToStr(total) + ' ' + IntToStr(Length(steps)) + ' ' + IntToStr(Length(names)));
  if Low(steps) = dNorth then GameMessage('low is north');
end.
