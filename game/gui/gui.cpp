// The GUI's interface before the windows exist: events and messages are recorded, messages also
// go to standard error and the log, and nothing is drawn.
#include "game/gui/gui.h"

#include <cstdio>

#include "engine/log.h"
#include "game/script/script_host.h"

namespace game {

namespace {

struct TGuiState {
  TGuiFlags Flags;
  std::vector<std::string> Events;
  std::vector<std::string> Messages;
};

TGuiState g_gui;

}  // namespace

TGuiFlags& GuiFlags() { return g_gui.Flags; }

void GUI_Init() {}
void GUI_Draw() {}
void GUI_Update() {}

void GUI_FireEvent(const std::string& event) { g_gui.Events.push_back(event); }

void GameMessage(const std::string& text) {
  g_gui.Messages.push_back(text);
  eng::LogAdd(text);
  std::fprintf(stderr, "tessera: %s\n", text.c_str());
  Script_PauseAll();
}

void Window_Create(const std::string&) {}
void Window_Close(const std::string&) {}
void Window_SetSize(const std::string&, int32_t, int32_t) {}
void Button_SetCaption(const std::string&, const std::string&, const std::string&) {}
void Button_SetPos(const std::string&, const std::string&, int32_t, int32_t) {}
void Label_SetCaption(const std::string&, const std::string&, const std::string&) {}
void Label_SetPos(const std::string&, const std::string&, int32_t, int32_t) {}
int32_t Label_GetWidth(const std::string&, const std::string&) { return 0; }
void ItemSlot_SetOwnerID(const std::string&, const std::string&, uint16_t) {}

void GuiDragEndForCreature(int32_t) {}
void GuiDragEndForItem(int32_t, const std::string&) {}

const std::vector<std::string>& GuiFiredEvents() { return g_gui.Events; }
const std::vector<std::string>& GuiMessages() { return g_gui.Messages; }

void GUIReset() { g_gui = TGuiState{}; }

}  // namespace game
