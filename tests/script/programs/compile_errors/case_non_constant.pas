var i, j: integer;
begin
  j := 1;
  case i of
    j: GameMessage('x');
  end;
end.
