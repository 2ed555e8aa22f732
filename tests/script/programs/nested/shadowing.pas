{ Names of a nested routine hide the same names of the routines around it and of the program;
  declared after a nested routine, an outer local is not visible in it. }
var x: integer;

procedure Outer;
var x, y: integer;

  procedure Inner;
  var x: integer;
  begin
    x := 3;
    y := y + x;
  end;

  function Y2: integer;
  var y: integer;
  begin
    y := 100;
    Y2 := y + x;
  end;

begin
  x := 20;
  y := 1;
  Inner;
  GameMessage(IntToStr(x) + ' ' + IntToStr(y) + ' ' + IntToStr(Y2));
end;

begin
  x := 7;
  Outer;
  GameMessage(IntToStr(x));
end.
