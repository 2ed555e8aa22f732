{ nofpc }
var a: array of integer; s: string;
begin
  if not Assigned(a) then GameMessage('empty array unassigned');
  SetLength(a, 2);
  if Assigned(a) then GameMessage('array assigned');
  s := '';
  if not Assigned(s) then GameMessage('empty string unassigned');
end.
