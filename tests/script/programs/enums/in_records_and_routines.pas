{ Enumerations as parameters, results, record fields and variables of a routine, and an
  enumeration declared inside a routine. }
type
  TState = (sIdle, sWalking, sFighting, sDead);
  TUnit = record name: string; state: TState; end;

function Next(s: TState): TState;
begin
  if s = High(TState) then Result := Low(TState) else Result := Succ(s);
end;

procedure Advance(var u: TUnit);
begin
  u.state := Next(u.state);
end;

function Describe(const u: TUnit): string;
type
  TMood = (mCalm, mBusy);
var
  m: TMood;
begin
  if u.state in [sWalking, sFighting] then m := mBusy else m := mCalm;
  Result := u.name + ':' + IntToStr(Ord(u.state)) + ':' + IntToStr(Ord(m));
end;

var
  u: TUnit;
  i: integer;
  text: string;
begin
  u.name := 'Orc';
  u.state := sIdle;
  text := '';
  for i := 1 to 5 do begin
    text := text + Describe(u) + ' ';
    Advance(u);
  end;
  GameMessage(text);
end.
