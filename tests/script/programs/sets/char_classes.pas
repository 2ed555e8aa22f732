{ Splitting text into words and numbers with character sets, as a tokenizer would. }
const
  Letters = ['a'..'z', 'A'..'Z', '_'];
  Digits = ['0'..'9'];
var
  text, word, res: string;
  i: integer;
  c: char;
begin
  text := 'move_to 12, 7; say Hello2 42!';
  res := '';
  word := '';
  for i := 1 to Length(text) + 1 do begin
    if i <= Length(text) then c := text[i] else c := ' ';
    if (c in Letters) or ((word <> '') and (c in Digits)) then
      word := word + c
    else begin
      if word <> '' then res := res + '<' + word + '>';
      word := '';
      if c in Digits then res := res + '#' + c;
      if c in [',', ';', '!'] then res := res + c;
    end;
  end;
  GameMessage(res);
end.
