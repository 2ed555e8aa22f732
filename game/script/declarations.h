// The declarations of the 31 functions the game offers scripts under the unit "SYSTEM", in the
// order the script host adds them. Header-only, so that the command-line runner, the tests and the
// benchmarks use the very texts the game compiles against without linking the game.
#pragma once

namespace game {

inline constexpr int kScriptFunctionCount = 31;

inline constexpr const char* kScriptDeclarations[kScriptFunctionCount] = {
    "procedure SetInt( IntName: string; IntValue: integer )",
    "function GetInt( IntName: string ): integer",
    "procedure SetBool( BoolName: string; BoolValue: boolean )",
    "function GetBool( BoolName: string ): boolean",
    "procedure GameMessage( MsgText: string )",
    "procedure EndTurn",
    "procedure Cam_SetPos( X, Y, Z, CX, CZ: single )",
    "function Cr_ID: word",
    "function Cr_GetName( CrID: word ): string",
    "procedure Cr_SetParam( CrID: word; ParamName: string; ParamValue: integer )",
    "function Cr_GetParam( CrID: word; ParamName: string ): integer",
    "procedure Cr_SetAngle( CrID: word; Angle: single )",
    "procedure Cr_LookAtWall( CrID, WallID: word )",
    "procedure Cr_GiveItem( CrID: word; ItemName: string )",
    "procedure Cr_RemoveItem( CrID: word; ItemName: string )",
    "procedure Cr_EffectCreate( CrID: word; EffectName: string )",
    "procedure Cr_Damage( CrID: word; Damage: integer )",
    "function Wall_ID: word",
    "procedure Wall_IgnoreStandardScript",
    "procedure Wall_SetFrame( WallID: word; Frame: single )",
    "procedure Wall_SetGhost( WallID: word; Ghost: boolean )",
    "procedure Wall_PlayAnim( WallID: word )",
    "procedure Window_Create( WndName: string )",
    "procedure Window_Close( WndName: string )",
    "procedure Window_SetSize( WndName: string; Width, Height: integer )",
    "procedure Button_SetCaption( WndName, BtnName, Caption: string )",
    "procedure Button_SetPos( WndName, BtnName: string; x, y: integer )",
    "procedure Label_SetCaption( WndName, LabName, Caption: string )",
    "procedure Label_SetPos( WndName, LabName: string; x, y: integer )",
    "function Label_GetWidth( WndName, LabName: string ): integer",
    "procedure ItemSlot_SetOwnerID( WndName, ItemSlotName: string; CrID: word )",
};

}  // namespace game
