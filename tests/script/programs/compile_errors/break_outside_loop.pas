begin
  Break;
end.
