type TItem = record name: string; count: integer; end;
var items: array of TItem; fixed: array[1..2] of TItem; i, total: integer;
begin
  SetLength(items, 3);
  for i := 0 to 2 do begin
    items[i].name := 'item' + IntToStr(i);
    items[i].count := i * 5;
  end;
  total := 0;
  for i := 0 to 2 do total := total + items[i].count;
  GameMessage(items[2].name + ' ' + IntToStr(total));
  fixed[1] := items[1];
  fixed[2] := fixed[1];
  fixed[2].name := 'changed';
  GameMessage(fixed[1].name + ' ' + fixed[2].name + ' ' + items[1].name);
end.
