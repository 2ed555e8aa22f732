// The GUI: windows, buttons, labels and item slots over the 3D view, read from Data/GUI/*.cro;
// their layout, drawing and input, item dragging and the game message box; and the three flags
// through which the game core keeps the mouse away from the world while the GUI has it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/font.h"
#include "engine/textures.h"
#include "game/world/defs.h"

namespace game {

// ---- Records -------------------------------------------------------------------------------
// Plain values: opening a window copies its definition with every widget. Positions X, Y of a
// window are in a virtual 800 x 600 screen, those of widgets relative to their window's corner;
// ScreenX, ScreenY are computed by the layout (GUI_Draw). Align 0 left/top, 1 centre,
// 2 right/bottom: which point of the box X, Y designates.

struct TGmButton {
  std::string Name;
  std::string Caption;
  eng::TTexture* Texture = nullptr;  // none: a bevelled grey button
  int32_t X = 0, Y = 0;
  int32_t ScreenX = 0, ScreenY = 0;
  int32_t W = 0, H = 0;
  uint8_t AlignX = 0, AlignY = 0;
  bool Hover = false;
  bool Pressed = false;
  std::string ClickScript;
  TScriptLines ClickScriptLines;  // where its lines are in the file (error reports)
};

struct TGmLabel {
  std::string Name;
  std::string Caption;
  int32_t X = 0, Y = 0;
  int32_t ScreenX = 0, ScreenY = 0;
  uint8_t AlignX = 0, AlignY = 0;
};

// 64 x 64 pixels, never aligned; the k-th slot of a window shows the k-th inventory entry of its
// owner.
struct TGmItemSlot {
  std::string Name;
  int32_t X = 0, Y = 0;
  int32_t ScreenX = 0, ScreenY = 0;
  uint16_t OwnerID = 0;  // creature ID; 0: the current player's selected creature
};

struct TGmWindow {
  std::string Name;
  int32_t X = 0, Y = 0;
  int32_t ScreenX = 0, ScreenY = 0;
  int32_t W = 0, H = 0;  // real screen pixels, never scaled
  uint8_t AlignX = 0, AlignY = 0;
  bool Modal = false;           // while open, input outside it is blocked
  bool Transparent = false;     // no background, and its area does not take the mouse
  bool AlwaysShow = false;      // drawn during a computer player's turn too
  bool ActiveOnAITurn = false;  // takes input and draws at full opacity then (the message box)
  bool Closed = false;          // removed at the end of the next Window_Create or GUI_Update
  std::string CreateEvent;
  std::string CreateScript;
  std::vector<TGmButton> Buttons;
  std::vector<TGmLabel> Labels;
  std::vector<TGmItemSlot> ItemSlots;
  std::string File;             // the definition file (error reports); empty for the message box
  TScriptLines CreateScriptLines; // where its lines are in the file
  uint32_t Serial = 0;          // which opening this is: unique among the windows ever opened
};

struct TGuiFlags {
  bool GameFrozen = false;    // the message box waits for OK: no world update, no AI, no interpolation
  bool ModalOpen = false;     // a modal window is open: no world clicks, no mouse camera control
  bool MouseOverGui = false;  // the cursor is over a part of the GUI that takes input: no world clicks
};

// The item being dragged out of a slot: its owner (index into the creature list) and the entry's
// name. The entry is looked up again whenever it is needed, so changes scripts make to the
// inventory meanwhile never leave the drag pointing at a moved or freed entry.
struct TGuiDrag {
  int32_t Creature = -1;  // -1: no drag
  std::string Item;
};

struct TGuiState {
  std::vector<TGmWindow> Definitions;  // load order, the message window first
  std::vector<TGmWindow> Open;         // bottom to top
  eng::engTFont* Font = nullptr;
  eng::TTexture* Cursor = nullptr;
  // Names of the windows whose create scripts are running, outermost first.
  std::vector<std::string> CreateScriptsRunning;
  uint32_t PressedWindow = 0;          // Serial of the pressed button's window; 0: none
  int32_t PressedButton = -1;
  TGuiDrag Drag;
  TGuiFlags Flags;
  uint32_t NextSerial = 1;
  std::vector<std::string> Events;     // every event fired, in order
  std::vector<std::string> Messages;   // every message shown, in order
};

TGuiState& GuiState();
TGuiFlags& GuiFlags();

// The built-in message window and the names its parts are found by.
inline constexpr const char* MessageWindowName = "~Game_Message~";
inline constexpr const char* MessageOKName = "~GmMsg_OK~";
inline constexpr const char* MessageTextName = "~Message_Text~";

// ---- Loading -------------------------------------------------------------------------------

// Font and page, cursor, the message window, then every Data/GUI/*.cro in name order (once, at
// load). A missing or pageless font is reported and leaves the GUI without text.
void GUI_Init();
// The message window's definition: 200 x 100 centred on the screen, modal, shown and active in
// every turn, with its OK button and text label.
TGmWindow MessageWindowDefinition();
// Reads one GUI definition text into `definitions` (which holds at least the message window):
// WINDOW, BUTTON, LABEL and ITEMSLOT lines open widgets on every line, script blocks go to the
// current button or window, other keys set the current widget. `loadTexture` loads a button's
// TEXTURE (null: no textures, for tools and fuzzing). Throws FatalError for a number that does not
// convert, naming the file and line.
using TGuiTextureLoader = eng::TTexture* (*)(const std::string& path);
void GuiReadDefinitions(std::string_view text, const std::string& file,
                        std::vector<TGmWindow>& definitions, TGuiTextureLoader loadTexture);
// The definition list anew: the message window, then every AppDir/Data/GUI/*.cro in name order
// (GUI_Init's part without fonts; tools pass a null loader and need no window).
void GuiLoadDefinitions(TGuiTextureLoader loadTexture);

// ---- Windows -------------------------------------------------------------------------------

// Opens the window defined under `name` (case-insensitive) on top, after removing open copies of
// it, and runs its create script; a name whose create script is running (any case, any depth)
// is refused. Windows closed meanwhile are removed at the end.
void Window_Create(const std::string& name);
// Marks every open window of that name for removal.
void Window_Close(const std::string& name);
// Opens every window whose create event is `event` (case-insensitive), in definition order. Every
// event fired is also kept, in order (GuiFiredEvents).
void GUI_FireEvent(const std::string& event);
// The script library's setters and query; they act on open windows only (names case-insensitive).
void Window_SetSize(const std::string& window, int32_t width, int32_t height);
void Button_SetCaption(const std::string& window, const std::string& button, const std::string& caption);
void Button_SetPos(const std::string& window, const std::string& button, int32_t x, int32_t y);
void Label_SetCaption(const std::string& window, const std::string& label, const std::string& caption);
void Label_SetPos(const std::string& window, const std::string& label, int32_t x, int32_t y);
// The caption width in pixels of the first matching label, rounded; 0 when none matches.
int32_t Label_GetWidth(const std::string& window, const std::string& label);
void ItemSlot_SetOwnerID(const std::string& window, const std::string& slot, uint16_t creatureID);
// Removes every open window marked Closed (later windows move down); a pressed button in one of
// them is let go.
void GuiRemoveClosedWindows();

// Screen positions of a window and its widgets on a screen of the given size: the virtual
// 800 x 600 position scaled, then aligned (labels by their caption's width and the font's line
// height).
void GuiLayoutWindow(TGmWindow& window, int32_t screenWidth, int32_t screenHeight, const eng::engTFont* font);

// ---- Drawing and input ---------------------------------------------------------------------

// Draws the open windows bottom to top, the dragged item, the frame-rate text and the cursor
// (2D mode set). Computes the screen positions that the next input pass uses.
void GUI_Draw();
// The input pass of one tick: the flags, hover and press, drags and drops, click scripts, the
// removal of closed windows.
void GUI_Update();
// The creature whose inventory a slot shows (index into the creature list), or -1.
int32_t GuiSlotOwner(const TGmItemSlot& slot);

// ---- The message box -----------------------------------------------------------------------

// Shows `text` in a fresh message box on top (widened for long texts), freezes the world and
// pauses every running script until OK.
void GameMessage(const std::string& text);
// OK, as the player presses it: the box closes, the world thaws, paused scripts go on.
void GameMessageOK();

// ---- The drag ------------------------------------------------------------------------------

// The drag ends when its owner dies or its entry is removed.
void GuiDragEndForCreature(int32_t creatureIndex);
void GuiDragEndForItem(int32_t creatureIndex, const std::string& itemName);

// Puts the GUI's own section in the state dump: the flags, the open windows bottom to top with
// their widgets where the next frame draws them, the drag, the events and the messages.
void GuiAddStateDumpSection();

// Every event fired and every message shown since the last reset, in order (tests, state dump).
const std::vector<std::string>& GuiFiredEvents();
const std::vector<std::string>& GuiMessages();

// Back to the state at process start (tests). Fonts and textures stay with their managers.
void GUIReset();

}  // namespace game
