var c: char; s: string;
begin
  GameMessage(IntToStr($FF) + ' ' + IntToStr($7FFFFFFF));
  c := #65;
  s := 'a'#66'c'#$44;
  GameMessage(c + s);
  s := 'it''s';
  GameMessage(s + ' ' + IntToStr(Length(s)));
  s := '';
  GameMessage('[' + s + ']' + IntToStr(Length(s)));
end.
