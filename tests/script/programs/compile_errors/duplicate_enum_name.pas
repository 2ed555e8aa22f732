type TA = (red, green); TB = (blue, red);
begin
end.
