type
  TCount = integer;
  TName = string;
var c: TCount; n: TName;
begin
  c := 12; n := 'alias';
  GameMessage(n + IntToStr(c));
end.
