{ Inc and Dec step enumeration variables, as Succ and Pred do. }
type
  TLevel = (lLow, lMid, lHigh, lMax);
var
  l: TLevel;
  a: array[0..1] of TLevel;
begin
  l := lLow;
  Inc(l);
  Inc(l, 2);
  GameMessage(IntToStr(Ord(l)));
  Dec(l);
  GameMessage(IntToStr(Ord(l)));
  a[1] := lMid;
  Inc(a[1]);
  GameMessage(IntToStr(Ord(a[1])));
end.
