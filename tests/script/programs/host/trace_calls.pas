{ nofpc }
begin
  Cr_SetParam(3, 'health', 50);
  Wall_SetGhost(2, True);
  Cam_SetPos(1, 2.5, 3, 4, 5);
  EndTurn;
  GameMessage(IntToStr(Cr_ID) + '|' + Cr_GetName(1) + '|' + IntToStr(Label_GetWidth('w', 'l')));
end.
