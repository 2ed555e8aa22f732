{ Enumerations: Ord, Succ, Pred, Low, High, comparison, assignment and casts. }
type
  TDir = (dNorth, dEast, dSouth, dWest);
  TLight = (lOff, lOn);
var
  d, e: TDir;
  l: TLight;
begin
  d := dSouth;
  GameMessage(IntToStr(Ord(d)) + ' ' + IntToStr(Ord(Succ(d))) + ' ' + IntToStr(Ord(Pred(d))));
  GameMessage(IntToStr(Ord(Low(TDir))) + '..' + IntToStr(Ord(High(TDir))) + ' ' + IntToStr(Ord(High(d))));
  e := dEast;
  if d > e then GameMessage('south after east');
  if (d >= dSouth) and (d <= dWest) and (e < d) and (e <> d) then GameMessage('order holds');
  if Low(TDir) = dNorth then GameMessage('first is north');
  e := d;
  if e = dSouth then GameMessage('copied');
  d := TDir(3);
  GameMessage(IntToStr(Ord(d)) + ' ' + IntToStr(Integer(dEast)));
  l := lOn;
  if l = High(TLight) then GameMessage('on');
  GameMessage(IntToStr(SizeOf(TDir)) + ' ' + IntToStr(SizeOf(d)));
end.
