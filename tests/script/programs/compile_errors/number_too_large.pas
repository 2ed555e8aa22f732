var i: int64;
begin
  i := $1FFFFFFFFFFFFFFFF;
end.
