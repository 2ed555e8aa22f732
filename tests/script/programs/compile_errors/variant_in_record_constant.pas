type R = record v: Variant; end;
const X: R = (v: 5);
var s: string;
begin
  GameMessage('a');
end.
