begin
  GameMessage(IntToStr(Max(3, 9)) + ' ' + IntToStr(Min(3, 9)) + ' ' + IntToStr(Max(-1, -5)));
  GameMessage(FloatToStr(Max(2.5, 1)) + ' ' + FloatToStr(Min(2.5, 1)));
  if Odd(3) and not Odd(4) and Odd(-1) then GameMessage('odd ok');
end.
