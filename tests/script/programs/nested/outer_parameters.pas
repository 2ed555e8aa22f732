{ Nested routines read and change the enclosing routine's parameters (value, var and const),
  strings, records and arrays, and pass them on as var parameters. }
type
  TRec = record name: string; hits: integer; end;

procedure Twice(var s: string);
begin
  s := s + s;
end;

procedure Outer(var counter: integer; const prefix: string; n: integer; r: TRec);
var
  log: string;
  grid: array[1..3] of integer;
  list: array of string;

  procedure Step(k: integer);
  begin
    n := n + k;              // the value parameter's own copy
    Inc(counter);            // the caller's variable
    grid[k] := n;
    r.hits := r.hits + 1;
    SetLength(list, Length(list) + 1);
    list[High(list)] := prefix + r.name + IntToStr(k);
    log := log + list[High(list)] + ' ';
  end;

  procedure Finish;
  begin
    Twice(log);
    Twice(r.name);
  end;

var i: integer;
begin
  log := '';
  for i := 1 to 3 do Step(i);
  Finish;
  GameMessage(log);
  GameMessage(IntToStr(n) + ' ' + IntToStr(grid[1] + grid[2] + grid[3]) + ' ' + r.name + ' ' +
              IntToStr(r.hits) + ' ' + IntToStr(Length(list)));
end;

var c: integer; rec: TRec;
begin
  c := 5;
  rec.name := 'x';
  rec.hits := 0;
  Outer(c, '>', 10, rec);
  GameMessage(IntToStr(c) + ' ' + rec.name + ' ' + IntToStr(rec.hits));
end.
