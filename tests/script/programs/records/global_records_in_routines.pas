type TStat = record hits: integer; name: string; end;
var st: TStat; arr: array[0..1] of TStat;
procedure Hit(n: integer);
begin
  st.hits := st.hits + n;
  st.name := st.name + '+';
  arr[1].hits := arr[1].hits + 1;
end;
begin
  st.hits := 0; st.name := '';
  Hit(2); Hit(3);
  GameMessage(IntToStr(st.hits) + st.name + IntToStr(arr[1].hits));
end.
