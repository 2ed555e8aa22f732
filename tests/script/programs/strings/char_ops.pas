var c: char; i: integer;
begin
  c := 'A';
  GameMessage(IntToStr(Ord(c)));
  GameMessage(Chr(Ord(c) + 1));
  GameMessage(Succ(c) + Pred('C'));
  for c := 'a' to 'e' do GameMessage(c);
  i := 0;
  for c := 'z' downto 'x' do i := i + 1;
  GameMessage(IntToStr(i));
  if ('a' < 'b') and (#0 < #255) then GameMessage('ordered');
end.
