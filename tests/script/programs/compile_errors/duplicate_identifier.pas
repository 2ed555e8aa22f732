var a: integer;
    a: string;
begin
end.
