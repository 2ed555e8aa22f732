var v: Variant; i: integer;
begin
  v := Null;
  i := v;
end.
