var a, b: integer;
begin
  a := -7; b := 2;
  GameMessage(IntToStr(a div b) + ' ' + IntToStr(a mod b));
  a := 7; b := -2;
  GameMessage(IntToStr(a div b) + ' ' + IntToStr(a mod b));
  a := -7; b := -2;
  GameMessage(IntToStr(a div b) + ' ' + IntToStr(a mod b));
  GameMessage(IntToStr(-7 div 2) + ' ' + IntToStr(-7 mod 2));
  a := -8; 
  GameMessage(IntToStr(a div 4) + ' ' + IntToStr(a mod 4) + ' ' + IntToStr(a mod 3));
end.
