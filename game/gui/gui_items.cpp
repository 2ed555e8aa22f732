// The GUI's view of inventories, over the items module.
#include "game/gui/gui_items.h"

#include "game/actors/creatures.h"
#include "game/actors/items.h"

namespace game {

namespace {

const std::vector<TGmItem>* ItemsOf(int32_t creature) {
  const std::vector<TCreature>& creatures = CreatureLists().Creatures;
  if (creature < 0 || static_cast<size_t>(creature) >= creatures.size()) return nullptr;
  return &creatures[static_cast<size_t>(creature)].Items;
}

void View(const TGmItem& item, TGuiItemView* view) {
  view->Name = item.Name;
  view->Texture = item.Texture;
  view->Count = item.Count;
  view->Usable = !item.UseScript.empty();
}

}  // namespace

int32_t GuiItemCount(int32_t creature) {
  const std::vector<TGmItem>* items = ItemsOf(creature);
  return items == nullptr ? 0 : static_cast<int32_t>(items->size());
}

bool GuiItemAt(int32_t creature, int32_t k, TGuiItemView* view) {
  const std::vector<TGmItem>* items = ItemsOf(creature);
  if (items == nullptr || k < 0 || static_cast<size_t>(k) >= items->size()) return false;
  View((*items)[static_cast<size_t>(k)], view);
  return true;
}

bool GuiItemNamed(int32_t creature, const std::string& name, TGuiItemView* view) {
  int32_t entry = FindItem(creature, name);
  if (entry < 0) return false;
  View((*ItemsOf(creature))[static_cast<size_t>(entry)], view);
  return true;
}

void GuiUseItem(int32_t creature, const std::string& name) { UseItem(creature, name); }

void GuiGiveItem(int32_t from, int32_t to, const std::string& name) {
  GiveItem(to, name);
  RemoveItem(from, name);
}

}  // namespace game
