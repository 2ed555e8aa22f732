var s: set of char;
begin
  s := ['a', 1];
end.
