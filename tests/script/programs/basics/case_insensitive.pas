VAR Counter: INTEGER;
BEGIN
  counter := 3;
  CoUnTeR := COUNTER + 1;
  gamemessage(inttostr(counter));
END.
