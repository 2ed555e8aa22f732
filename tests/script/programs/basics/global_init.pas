var
  Count: integer = 42;
  Title: string = 'start';
begin
  GameMessage(Title + ' ' + IntToStr(Count));
end.
