uses Classes;
begin
end.
