{$mode delphi}{$H+}
uses SysUtils, Math;
{ Stand-ins for the host functions and for the few routine names Free Pascal lacks. }
var PreludeIntNames: array of string; PreludeIntValues: array of integer;
    PreludeBoolNames: array of string; PreludeBoolValues: array of boolean;
procedure GameMessage(MsgText: string); begin writeln(MsgText); end;
procedure SetInt(IntName: string; IntValue: integer);
var i: integer;
begin
  for i := 0 to High(PreludeIntNames) do
    if PreludeIntNames[i] = IntName then begin PreludeIntValues[i] := IntValue; Exit; end;
  SetLength(PreludeIntNames, Length(PreludeIntNames) + 1);
  SetLength(PreludeIntValues, Length(PreludeIntValues) + 1);
  PreludeIntNames[High(PreludeIntNames)] := IntName;
  PreludeIntValues[High(PreludeIntValues)] := IntValue;
end;
function GetInt(IntName: string): integer;
var i: integer;
begin
  Result := 0;
  for i := 0 to High(PreludeIntNames) do
    if PreludeIntNames[i] = IntName then begin Result := PreludeIntValues[i]; Exit; end;
end;
procedure SetBool(BoolName: string; BoolValue: boolean);
var i: integer;
begin
  for i := 0 to High(PreludeBoolNames) do
    if PreludeBoolNames[i] = BoolName then begin PreludeBoolValues[i] := BoolValue; Exit; end;
  SetLength(PreludeBoolNames, Length(PreludeBoolNames) + 1);
  SetLength(PreludeBoolValues, Length(PreludeBoolValues) + 1);
  PreludeBoolNames[High(PreludeBoolNames)] := BoolName;
  PreludeBoolValues[High(PreludeBoolValues)] := BoolValue;
end;
function GetBool(BoolName: string): boolean;
var i: integer;
begin
  Result := False;
  for i := 0 to High(PreludeBoolNames) do
    if PreludeBoolNames[i] = BoolName then begin Result := PreludeBoolValues[i]; Exit; end;
end;
function StrGet(S: string; I: integer): char; begin Result := S[I]; end;
function StrGet2(S: string; I: integer): char; begin Result := S[I]; end;
procedure StrSet(C: char; I: integer; var S: string); begin S[I] := C; end;
function WStrGet(S: string; I: integer): char; begin Result := S[I]; end;
procedure WStrSet(C: char; I: integer; var S: string); begin S[I] := C; end;
function Padl(S: string; I: integer): string; begin Result := StringOfChar(' ', I - Length(S)) + S; end;
function Padr(S: string; I: integer): string; begin Result := S + StringOfChar(' ', I - Length(S)); end;
function Padz(S: string; I: integer): string; begin Result := StringOfChar('0', I - Length(S)) + S; end;
function Replicate(C: char; I: integer): string; begin Result := StringOfChar(C, I); end;
function Int64ToStr(I: int64): string; begin Result := IntToStr(I); end;
