var i: integer;
begin
  ;;
  i := 1;;
  begin end;
  if i = 1 then ; 
  GameMessage(IntToStr(i));
end.
