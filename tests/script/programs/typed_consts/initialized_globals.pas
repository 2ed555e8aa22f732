{ Global variables with initial values of array and record types (they can change, unlike typed
  constants), fields left out of a record constant (zero), and a scalar typed constant written as
  a parenthesized expression. }
type
  TCfg = record w, h: integer; title: string; depth: integer; end;
var
  Cfg: TCfg = (w: 640; h: 480; title: 'Tessera');
  Counts: array[1..3] of integer = (5, 6, 7);
const
  Scale: integer = (1 + 2) * 3;
  Half: double = (1);
begin
  Cfg.w := Cfg.w div 2;
  Counts[2] := Counts[2] + Counts[3];
  GameMessage(IntToStr(Cfg.w) + 'x' + IntToStr(Cfg.h) + ' ' + Cfg.title + ' ' + IntToStr(Cfg.depth));
  GameMessage(IntToStr(Counts[1]) + ' ' + IntToStr(Counts[2]) + ' ' + IntToStr(Scale) + ' ' + FloatToStr(Half));
end.
