{ nofpc: Free Pascal would write into freed memory here.
  A with statement on an element of a dynamic array, and a var argument into one, keep that
  element's array alive even when the body (or the callee) resizes or replaces the array variable:
  the writes land in the old array and nothing breaks. }
type
  TCell = record v: integer; s: string; end;
var
  a: array of TCell;

procedure Shrink(var x: integer);
begin
  SetLength(a, 0);
  x := 5;
end;

procedure Replace(var s: string);
begin
  a := nil;
  s := s + '?';
end;

begin
  SetLength(a, 3);
  a[1].s := 'keep';
  with a[1] do begin
    SetLength(a, 1);
    v := 7;
    s := s + '!';
  end;
  GameMessage(IntToStr(Length(a)) + ' ' + IntToStr(a[0].v));
  SetLength(a, 2);
  Shrink(a[1].v);
  GameMessage(IntToStr(Length(a)));
  SetLength(a, 2);
  a[0].s := 'x';
  Replace(a[0].s);
  GameMessage(IntToStr(Length(a)));
end.
