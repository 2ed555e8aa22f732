var s: string;
begin
  s := 'a' + 1;
end.
