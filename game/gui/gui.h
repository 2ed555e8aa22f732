// The GUI: windows, buttons, labels and item slots over the 3D view, their drawing and input, item
// dragging and the game message box; and the three flags through which the game core keeps the
// mouse away from the world while the GUI has it.
// NOTE: until the windows arrive this module only records what the game asks of it (events,
// messages), so that the rest of the game can be built and tested against this interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game {

struct TGuiFlags {
  bool GameFrozen = false;    // the message box waits for OK: no world update, no AI, no interpolation
  bool ModalOpen = false;     // a modal window is open: no world clicks, no mouse camera control
  bool MouseOverGui = false;  // the cursor is over a part of the GUI that takes input: no world clicks
};

TGuiFlags& GuiFlags();

// Font, cursor, the message window and every GUI definition file (once, at load).
void GUI_Init();
// Draws the open windows, the dragged item, the frame-rate text and the cursor (2D mode set).
void GUI_Draw();
// The input pass of one tick: flags, hover and press, drags and drops, click scripts.
void GUI_Update();
// Opens every window whose create event is `event` (case-insensitive). Every event fired is also
// kept, in order, for tests and the state dump (GuiFiredEvents).
void GUI_FireEvent(const std::string& event);
// The game message box: shows `text`, freezes the world and pauses every running script until OK.
void GameMessage(const std::string& text);

// Opening and closing windows by name (case-insensitive): Window_Create runs the create script;
// Window_Close marks every open window of that name for removal.
void Window_Create(const std::string& name);
void Window_Close(const std::string& name);
// The script library's setters and queries; they act on open windows only.
void Window_SetSize(const std::string& window, int32_t width, int32_t height);
void Button_SetCaption(const std::string& window, const std::string& button, const std::string& caption);
void Button_SetPos(const std::string& window, const std::string& button, int32_t x, int32_t y);
void Label_SetCaption(const std::string& window, const std::string& label, const std::string& caption);
void Label_SetPos(const std::string& window, const std::string& label, int32_t x, int32_t y);
int32_t Label_GetWidth(const std::string& window, const std::string& label);
void ItemSlot_SetOwnerID(const std::string& window, const std::string& slot, uint16_t creatureID);

// The dragged-item reference ends when its owner dies or its entry is removed.
void GuiDragEndForCreature(int32_t creatureIndex);
void GuiDragEndForItem(int32_t creatureIndex, const std::string& itemName);

// Every event fired and every message shown since the last reset, in order (tests, state dump).
const std::vector<std::string>& GuiFiredEvents();
const std::vector<std::string>& GuiMessages();

// Back to the state at process start (tests).
void GUIReset();

}  // namespace game
