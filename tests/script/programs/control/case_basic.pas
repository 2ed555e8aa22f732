var i: integer;
begin
  for i := 0 to 12 do
    case i of
      0: GameMessage('zero');
      1, 2, 3: GameMessage('small ' + IntToStr(i));
      4..6: GameMessage('medium ' + IntToStr(i));
      7, 9..10: GameMessage('odd mix ' + IntToStr(i));
    else
      GameMessage('other ' + IntToStr(i));
    end;
end.
