procedure Outer;
  procedure Inner;
  begin
  end;
begin
end;
begin
end.
