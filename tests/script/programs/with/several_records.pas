{ with a, b: both records' fields are visible, the last one's first; b may be a field of a. Nested
  with statements work the same way. }
type
  TPos = record x, y: integer; end;
  TUnit = record name: string; x: integer; pos: TPos; end;
var
  u: TUnit;
  p: TPos;
begin
  u.name := 'Elf';
  u.x := 100;
  p.x := 1; p.y := 2;
  with u, p do begin
    x := 9;           // p.x: the last record wins
    name := name + '!';
  end;
  GameMessage(IntToStr(u.x) + ' ' + IntToStr(p.x) + ' ' + u.name);
  with u, pos do begin
    x := 3;           // u.pos.x
    y := 4;
  end;
  GameMessage(IntToStr(u.x) + ' ' + IntToStr(u.pos.x) + ' ' + IntToStr(u.pos.y));
  with u do
    with pos do begin
      x := x + 10;
      name := name + IntToStr(x);
    end;
  GameMessage(u.name + ' ' + IntToStr(u.x));
end.
