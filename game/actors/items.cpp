// Item kinds and the carried entries of creatures.
#include "game/actors/items.h"

#include "game/actors/creatures.h"
#include "game/gui/gui.h"
#include "game/script/script_host.h"
#include "game/world/assets.h"
#include "game/world/registry.h"

namespace game {

namespace {

TItemLists g_items;

const TDefFormat<TGmItem>& ItemFormat() {
  static const TDefFormat<TGmItem> format = [] {
    TDefFormat<TGmItem> f;
    f.Defaults = [](TGmItem& item) { item.Count = 1; };
    f.Tags.push_back({"[USESCRIPT]", "[/USESCRIPT]",
                      [](TGmItem& item, std::string_view text) { item.UseScript += text; },
                      [](TGmItem& item, const std::string& file, int32_t line) {
                        MarkScriptLine(item.UseScriptLines, item.UseScript, file, line);
                      }});
    f.Keys = {
        DefField("NAME", &TGmItem::Name),
        // Icons are drawn in 2D, so they take the interface flags, not the world ones.
        {"TEXTURE",
         [](TGmItem& item, const TDefLine& line) {
           item.Texture = LoadKindTexture(line, "Data/Items/", eng::InterfaceTextureFlags, item.Texture);
         }},
    };
    return f;
  }();
  return format;
}

TCreature* CreatureAt(int32_t creatureIndex) {
  std::vector<TCreature>& creatures = CreatureLists().Creatures;
  if (creatureIndex < 0 || static_cast<size_t>(creatureIndex) >= creatures.size()) return nullptr;
  return &creatures[static_cast<size_t>(creatureIndex)];
}

}  // namespace

TItemLists& ItemLists() { return g_items; }

void LoadItemKind(const std::string& fileName) { LoadDefinitionKind(fileName, ItemFormat(), g_items.ItemKinds); }

int32_t FindItem(int32_t creatureIndex, const std::string& itemName) {
  const TCreature* creature = CreatureAt(creatureIndex);
  if (creature == nullptr) return -1;
  return FindKind(creature->Items, itemName);
}

void GiveItem(int32_t creatureIndex, const std::string& itemName) {
  TCreature* creature = CreatureAt(creatureIndex);
  if (creature == nullptr) return;
  int32_t kind = FindKind(g_items.ItemKinds, itemName);
  if (kind < 0) return;
  int32_t entry = FindKind(creature->Items, itemName);
  if (entry >= 0) {
    ++creature->Items[static_cast<size_t>(entry)].Count;
    return;
  }
  TGmItem item = g_items.ItemKinds[static_cast<size_t>(kind)];
  item.Count = 1;
  creature->Items.push_back(std::move(item));
}

void RemoveItem(int32_t creatureIndex, const std::string& itemName) {
  TCreature* creature = CreatureAt(creatureIndex);
  if (creature == nullptr) return;
  int32_t entry = FindKind(creature->Items, itemName);
  if (entry < 0) return;
  TGmItem& item = creature->Items[static_cast<size_t>(entry)];
  if (--item.Count > 0) return;
  // The GUI decides whether this entry is the one being dragged; ask before it goes.
  GuiDragEndForItem(creatureIndex, item.Name);
  creature->Items.erase(creature->Items.begin() + entry);
}

void UseItem(int32_t creatureIndex, const std::string& itemName) {
  // NOTE: the name may be the entry's own, which the script can remove; keep a copy.
  const std::string name = itemName;
  int32_t entry = FindItem(creatureIndex, name);
  if (entry < 0) return;
  TCreature& creature = CreatureLists().Creatures[static_cast<size_t>(creatureIndex)];
  // Copies: the script may give or take items, which moves the entries.
  const TGmItem& item = creature.Items[static_cast<size_t>(entry)];
  std::string script = item.UseScript;
  TScriptOrigin origin = ScriptOriginOf("use script of item \"" + item.Name + "\"", item.UseScriptLines);
  ScriptContext().CurrentCreatureID = creature.ID;
  Script_RunSource(script, origin);
  RemoveItem(creatureIndex, name);
}

void ItemsReset() { g_items = TItemLists{}; }

}  // namespace game
