// What the GUI reads and does with a creature's inventory (item slots, the drag and the drop).
// Creatures are addressed by their index in the creature list, entries by position or name.
#pragma once

#include <cstdint>
#include <string>

#include "engine/textures.h"

namespace game {

struct TGuiItemView {
  std::string Name;
  const eng::TTexture* Texture = nullptr;
  int32_t Count = 0;
  bool Usable = false;  // has a use script
};

// The number of entries the creature carries (0 for an index outside the list).
int32_t GuiItemCount(int32_t creature);
// The k-th entry (0-based); false when there is none.
bool GuiItemAt(int32_t creature, int32_t k, TGuiItemView* view);
// The entry of that name (case-insensitive); false when there is none.
bool GuiItemNamed(int32_t creature, const std::string& name, TGuiItemView* view);
// Runs the entry's use script with the creature as the current creature and consumes one unit.
void GuiUseItem(int32_t creature, const std::string& name);
// Hands one unit from one creature to another.
void GuiGiveItem(int32_t from, int32_t to, const std::string& name);

}  // namespace game
