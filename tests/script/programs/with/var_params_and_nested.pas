{ with on a var parameter, on a const parameter (read only), on a function result (read only), and
  on a record of an enclosing routine from a nested routine. }
type
  TStats = record hp, mp: integer; end;

procedure Heal(var s: TStats; amount: integer);
begin
  with s do begin
    hp := hp + amount;
    mp := mp - 1;
  end;
end;

function Sum(const s: TStats): integer;
begin
  with s do Sum := hp + mp;
end;

function Make(h, m: integer): TStats;
begin
  Result.hp := h;
  Result.mp := m;
end;

procedure Outer;
var mine: TStats;
  procedure Change;
  begin
    with mine do begin
      hp := 1;
      mp := 2;
    end;
  end;
begin
  Change;
  GameMessage(IntToStr(mine.hp) + ' ' + IntToStr(mine.mp));
end;

var st: TStats;
begin
  st.hp := 10;
  st.mp := 5;
  Heal(st, 7);
  GameMessage(IntToStr(st.hp) + ' ' + IntToStr(st.mp) + ' ' + IntToStr(Sum(st)));
  with Make(3, 4) do GameMessage(IntToStr(hp * mp));
  Outer;
end.
