begin
  if not GetBool('flag') then GameMessage('unset is false');
  SetBool('flag', True);
  if GetBool('flag') then GameMessage('set');
  SetInt('flag', 9);
  if GetBool('flag') then GameMessage('separate stores');
end.
