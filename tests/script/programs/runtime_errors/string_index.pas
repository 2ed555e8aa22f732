var s: string;
begin
  s := 'abc';
  s[0] := 'x';
end.
