function IsEven(n: integer): boolean; forward;
function IsOdd(n: integer): boolean;
begin
  if n = 0 then Result := False else Result := IsEven(n - 1);
end;
function IsEven(n: integer): boolean;
begin
  if n = 0 then Result := True else Result := IsOdd(n - 1);
end;
begin
  if IsEven(10) then GameMessage('10 even');
  if IsOdd(7) then GameMessage('7 odd');
end.
