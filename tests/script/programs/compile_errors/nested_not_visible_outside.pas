procedure Outer;
  procedure Inner;
  begin
  end;
begin
  Inner;
end;
begin
  Inner;
end.
