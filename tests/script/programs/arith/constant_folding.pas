const A = 6 * 7; B = A - 2; S = 'con' + 'cat'; D = 7 / 2;
begin
  GameMessage(IntToStr(A) + ' ' + IntToStr(B) + ' ' + S);
  GameMessage(FloatToStr(D));
  GameMessage(IntToStr(A mod 5 + B div 3));
end.
