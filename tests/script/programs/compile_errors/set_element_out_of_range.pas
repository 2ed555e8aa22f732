var s: set of byte;
begin
  s := [300];
end.
