var s: set of integer;
begin
end.
