{ Inside with, a field hides a local, a global and a routine of the same name; outside it, they
  are visible again. }
type
  TPoint = record x, y: integer; end;
var
  x: integer;
  p: TPoint;

function y: integer;
begin
  y := -1;
end;

procedure Local;
var x: integer; q: TPoint;
begin
  x := 50;
  q.x := 1; q.y := 2;
  with q do begin
    x := x + 10;
    y := x * 2;
  end;
  GameMessage(IntToStr(x) + ' ' + IntToStr(q.x) + ' ' + IntToStr(q.y));
end;

begin
  x := 5;
  p.x := 0;
  with p do begin
    x := 7;
    y := x + 1;
  end;
  GameMessage(IntToStr(x) + ' ' + IntToStr(p.x) + ' ' + IntToStr(p.y) + ' ' + IntToStr(y));
  Local;
end.
