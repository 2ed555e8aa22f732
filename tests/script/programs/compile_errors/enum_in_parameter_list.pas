procedure P(d: (a, b)); begin end;
begin end.
