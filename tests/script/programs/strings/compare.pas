var a, b: string;
begin
  a := 'apple'; b := 'banana';
  if a < b then GameMessage('a < b');
  if b > a then GameMessage('b > a');
  if a <> b then GameMessage('a <> b');
  if 'abc' = 'abc' then GameMessage('equal');
  if 'abc' < 'abcd' then GameMessage('prefix smaller');
  if 'B' < 'a' then GameMessage('upper before lower');
  if '' < 'a' then GameMessage('empty smallest');
  if 'a' = 'a' then GameMessage('chars equal');
  if a[1] = 'a' then GameMessage('char vs literal');
  if 'a' < 'ab' then GameMessage('char vs string');
end.
