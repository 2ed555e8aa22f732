var i, count: integer; b: byte;
begin
  count := 0;
  for i := 2147483645 to 2147483647 do count := count + 1;
  GameMessage(IntToStr(count));
  count := 0;
  for i := -2147483647 - 1 downto -2147483647 - 1 do count := count + 1;
  GameMessage(IntToStr(count));
  count := 0;
  for b := 250 to 255 do count := count + 1;
  GameMessage(IntToStr(count));
end.
