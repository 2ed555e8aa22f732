{ A routine nested three deep changes a local of the outermost routine through a var parameter, and
  another through its own access; each level reads the others' locals. }
procedure Bump(var x: integer; by: integer);
begin
  x := x + by;
end;

procedure Level1;
var a: integer;

  procedure Level2;
  var b: integer;

    procedure Level3;
    var c: integer;
    begin
      c := 3;
      Bump(a, 100);     // Level1's local, two frames up
      Bump(b, 10);      // Level2's local, one frame up
      Bump(c, 1);
      a := a + b + c;
    end;

  begin
    b := 2;
    Level3;
    Level3;
    GameMessage('b=' + IntToStr(b));
  end;

begin
  a := 1;
  Level2;
  GameMessage('a=' + IntToStr(a));
end;

begin
  Level1;
end.
