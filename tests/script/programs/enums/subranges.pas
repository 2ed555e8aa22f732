{ Subrange types of integers, characters and enumerations: their bounds, and a value that wraps
  to the subrange's storage when stored (no range checks, as in the rest of the language). }
type
  TPercent = 0..100;
  TLetter = 'a'..'z';
  TDir = (dNorth, dEast, dSouth, dWest);
  TSide = dEast..dWest;
var
  p: TPercent;
  c: TLetter;
  s: TSide;
  total: integer;
begin
  GameMessage(IntToStr(Low(TPercent)) + ' ' + IntToStr(High(TPercent)) + ' ' + IntToStr(SizeOf(TPercent)));
  GameMessage(Low(TLetter) + High(TLetter));
  GameMessage(IntToStr(Ord(Low(TSide))) + ' ' + IntToStr(Ord(High(TSide))));
  total := 0;
  for p := 95 to High(TPercent) do total := total + p;
  GameMessage(IntToStr(total));
  c := 'q';
  Inc(c);
  s := dSouth;
  if s = dSouth then GameMessage(c);
  p := 50;
  p := p * 2;
  GameMessage(IntToStr(p));
end.
