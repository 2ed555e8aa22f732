{ Include and Exclude on variables, record fields and array elements, with constant and computed
  members. }
type
  TBag = record name: string; held: set of char; end;
var
  bag: TBag;
  bags: array[1..2] of set of byte;
  i: integer;
  text: string;
  c: char;
begin
  bag.held := [];
  for i := 0 to 4 do Include(bag.held, Chr(Ord('a') + i * 2));
  Exclude(bag.held, 'e');
  Exclude(bag.held, 'b');
  Include(bag.held, 'a');
  text := '';
  for c := 'a' to 'z' do
    if c in bag.held then text := text + c;
  GameMessage(text);
  bags[1] := [];
  bags[2] := [1, 2, 3];
  for i := 1 to 10 do
    if Odd(i) then Include(bags[1], i) else Exclude(bags[2], i);
  text := '';
  for i := 0 to 10 do begin
    if i in bags[1] then text := text + 'o';
    if i in bags[2] then text := text + IntToStr(i);
  end;
  GameMessage(text);
end.
