function Reverse(const s: string): string;
var i: integer;
begin
  Result := '';
  for i := Length(s) downto 1 do Result := Result + s[i];
end;
function Repeat3(s: string): string;
begin
  Repeat3 := s + s + s;
end;
begin
  GameMessage(Reverse('tessera'));
  GameMessage(Repeat3('ab'));
  GameMessage(Reverse(Repeat3('xy')));
end.
