// The GUI's view of inventories, over the creatures' carried entries.
#include "game/gui/gui_items.h"

#include "game/actors/creatures.h"
#include "game/actors/items.h"

namespace game {

namespace {

const TCreature* CreatureAt(int32_t creature) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  if (creature < 0 || static_cast<size_t>(creature) >= all.size()) return nullptr;
  return &all[static_cast<size_t>(creature)];
}

void View(const TGmItem& item, TGuiItemView* view) {
  view->Name = item.Name;
  view->Texture = item.Texture;
  view->Count = item.Count;
  view->Usable = !item.UseScript.empty();
}

}  // namespace

int32_t GuiItemCount(int32_t creature) {
  const TCreature* c = CreatureAt(creature);
  return c == nullptr ? 0 : static_cast<int32_t>(c->Items.size());
}

bool GuiItemAt(int32_t creature, int32_t k, TGuiItemView* view) {
  const TCreature* c = CreatureAt(creature);
  if (c == nullptr || k < 0 || static_cast<size_t>(k) >= c->Items.size()) return false;
  View(c->Items[static_cast<size_t>(k)], view);
  return true;
}

bool GuiItemNamed(int32_t creature, const std::string& name, TGuiItemView* view) {
  int32_t entry = FindItem(creature, name);
  if (entry < 0) return false;
  View(CreatureLists().Creatures[static_cast<size_t>(creature)].Items[static_cast<size_t>(entry)], view);
  return true;
}

void GuiUseItem(int32_t creature, const std::string& name) { UseItem(creature, name); }

void GuiGiveItem(int32_t from, int32_t to, const std::string& name) {
  // Given before it is taken: the giver's entry may be the last unit, and the taking may free it.
  GiveItem(to, name);
  RemoveItem(from, name);
}

}  // namespace game
