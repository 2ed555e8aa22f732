type TA = (a, b); TB = (c, d);
var x: set of TA;
begin
  x := [c];
end.
