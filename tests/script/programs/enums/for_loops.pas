{ for over an enumeration in both directions, over part of it, and an empty range. }
type
  TSuit = (Clubs, Diamonds, Hearts, Spades);
var
  s: TSuit;
  n: integer;
  text: string;
begin
  text := '';
  for s := Low(TSuit) to High(TSuit) do text := text + IntToStr(Ord(s));
  for s := Spades downto Diamonds do text := text + IntToStr(Ord(s));
  n := 0;
  for s := Hearts to Diamonds do Inc(n);
  GameMessage(text + ' ' + IntToStr(n));
  // The counter keeps the last value after a loop that ran.
  for s := Clubs to Hearts do ;
  GameMessage(IntToStr(Ord(s)));
end.
