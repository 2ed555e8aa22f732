uses SYSTEM, Windows;
begin
end.
