begin
  while True do
    try
      while True do ;
    except
      GameMessage('must not catch the step limit');
    end;
end.
