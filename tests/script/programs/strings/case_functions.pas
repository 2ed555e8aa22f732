begin
  GameMessage(UpperCase('Hello World 1'));
  GameMessage(LowerCase('Hello World 1'));
  GameMessage('[' + Trim('  padded  ') + ']');
  GameMessage('[' + Trim('') + ']');
  GameMessage('[' + Trim('   ') + ']');
end.
