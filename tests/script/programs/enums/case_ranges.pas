{ An enumeration selects case branches by single values, lists and ranges. }
type
  TDay = (Mon, Tue, Wed, Thu, Fri, Sat, Sun);
var
  d: TDay;
  s: string;
begin
  s := '';
  for d := Mon to Sun do
    case d of
      Mon: s := s + 'M';
      Tue..Thu: s := s + 'w';
      Fri, Sat: s := s + 'F';
    else
      s := s + '-';
    end;
  GameMessage(s);
end.
