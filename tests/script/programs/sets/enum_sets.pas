{ Sets of an enumeration: flags of a creature, tested and combined. }
type
  TFlag = (fFlying, fSwimming, fBurning, fPoisoned, fHidden);
  TFlags = set of TFlag;
const
  Harmful: TFlags = [fBurning, fPoisoned];
var
  f: TFlags;
  g: TFlag;
  text: string;
begin
  f := [fFlying, fPoisoned];
  if f * Harmful <> [] then GameMessage('hurting');
  f := f - Harmful + [fHidden];
  if f * Harmful = [] then GameMessage('healed');
  text := '';
  for g := Low(TFlag) to High(TFlag) do
    if g in f then text := text + IntToStr(Ord(g)) else text := text + '.';
  GameMessage(text);
  if fHidden in f + [fSwimming] then GameMessage('hidden');
  if [fFlying..fSwimming] <= [fFlying, fSwimming, fHidden] then GameMessage('range subset');
end.
