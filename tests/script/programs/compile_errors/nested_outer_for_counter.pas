procedure Outer;
var i: integer;
  procedure Inner;
  begin
    for i := 1 to 2 do ;
  end;
begin
end;
begin
end.
