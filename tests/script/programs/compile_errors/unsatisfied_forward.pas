procedure Later; forward;
begin
  Later;
end.
