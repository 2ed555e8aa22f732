{ Typed constants of array and record types, nested: a record constant inside an array constant,
  an array inside a record, two-dimensional tables, strings and sets inside. }
type
  TPoint = record x, y: integer; end;
  TKind = record name: string; speed: double; moves: array[0..1] of TPoint; good: boolean; end;
const
  Dirs: array[0..3] of TPoint = ((x: 1; y: 0), (x: 0; y: 1), (x: -1; y: 0), (x: 0; y: -1));
  Orc: TKind = (name: 'Orc'; speed: 1.5; moves: ((x: 2; y: 1), (x: 1; y: 2)); good: False);
  Magic: array[1..3, 1..3] of integer = ((2, 7, 6), (9, 5, 1), (4, 3, 8));
  Words: array[0..2] of string = ('zero', 'one', 'two');
  Vowels: set of char = ['a', 'e', 'i', 'o', 'u'];
  Kinds: array[0..1] of TKind = (
    (name: 'Elf'; speed: 2; moves: ((x: 0; y: 0), (x: 1; y: 1)); good: True),
    (name: 'Imp'; speed: 0.25; moves: ((x: -1; y: 0), (x: 0; y: -1)); good: False));
var
  i, j, sum: integer;
  text: string;
begin
  text := '';
  for i := 0 to 3 do text := text + '(' + IntToStr(Dirs[i].x) + ',' + IntToStr(Dirs[i].y) + ')';
  GameMessage(text);
  GameMessage(Orc.name + ' ' + FloatToStr(Orc.speed) + ' ' + IntToStr(Orc.moves[1].y));
  for i := 1 to 3 do begin
    sum := 0;
    for j := 1 to 3 do sum := sum + Magic[i, j] + Magic[j, i];
    text := text + ' ' + IntToStr(sum);
  end;
  GameMessage(text);
  GameMessage(Words[2] + Words[0] + ' ' + IntToStr(Ord('e' in Vowels)) + IntToStr(Ord('y' in Vowels)));
  for i := 0 to 1 do
    with Kinds[i] do
      if good then GameMessage(name + ' ' + FloatToStr(speed) + ' ' + IntToStr(moves[1].x))
      else GameMessage(name + ' is bad');
end.
