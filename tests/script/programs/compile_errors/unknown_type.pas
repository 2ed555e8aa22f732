var t: TMissing;
begin
end.
