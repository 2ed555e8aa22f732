var c: char; i: integer;
begin
  for c := 'a' to 'd' do
    case c of
      'a': GameMessage('A');
      'b'..'c': GameMessage('BC');
    end;
  i := -5;
  case i of
    -10..-1: GameMessage('negative');
    0: GameMessage('zero');
  end;
  case i + 5 of
    0: begin GameMessage('zero'); GameMessage('block') end;
  end;
end.
