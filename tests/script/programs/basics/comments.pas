{ brace comment }
(* paren-star comment *)
var x: integer; // line comment
begin
  x := 1 { inline } + (* another *) 2;
  GameMessage(IntToStr(x)); // done
end.
