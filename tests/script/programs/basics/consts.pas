const
  N = 10;
  Name = 'tessera';
  Half = N div 2;
  F = 1.5;
  C = 'x';
  B = True;
  Big = 3000000000;
begin
  GameMessage(IntToStr(N) + ' ' + Name + ' ' + IntToStr(Half));
  GameMessage(FloatToStr(F * 2));
  GameMessage(C + C);
  if B then GameMessage('B is true');
  GameMessage(IntToStr(Big));
end.
