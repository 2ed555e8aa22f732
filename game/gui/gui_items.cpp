// The GUI's view of inventories.
#include "game/gui/gui_items.h"

namespace game {

int32_t GuiItemCount(int32_t) { return 0; }
bool GuiItemAt(int32_t, int32_t, TGuiItemView*) { return false; }
bool GuiItemNamed(int32_t, const std::string&, TGuiItemView*) { return false; }
void GuiUseItem(int32_t, const std::string&) {}
void GuiGiveItem(int32_t, int32_t, const std::string&) {}

}  // namespace game
