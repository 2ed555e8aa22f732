var total: integer; log: string;
procedure Add(n: integer);
begin
  total := total + n;
  log := log + IntToStr(n) + ';';
end;
begin
  total := 0; log := '';
  Add(1); Add(2); Add(3);
  GameMessage(IntToStr(total) + ' ' + log);
end.
