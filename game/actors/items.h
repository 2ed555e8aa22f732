// Items: things a creature carries. Item kinds read from Data/Items/*.cro (name, icon, use script);
// each creature keeps a list of entries with counts, at most one per name. Giving, taking and
// using an item (its use script runs with the carrier as the current creature, then one unit goes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/textures.h"
#include "game/world/defs.h"

namespace game {

// One record type for item kinds and carried entries; an entry is a copy of its kind.
struct TGmItem {
  std::string Name;                  // compared case-insensitively
  eng::TTexture* Texture = nullptr;  // the icon in item slots
  int32_t Count = 0;                 // units; 1 in every kind
  std::string UseScript;             // the [USESCRIPT] lines, each followed by one blank
  TScriptLines UseScriptLines;       // where they are in the kind's file (error positions)
};

struct TItemLists {
  std::vector<TGmItem> ItemKinds;  // one per definition file, in load order
};

TItemLists& ItemLists();

// Reads one item kind file into ItemKinds (the registry's loader for Data/Items/); the icon is
// loaded with the interface texture flags.
void LoadItemKind(const std::string& fileName);
// Index of the creature's first entry named `itemName` (case-insensitive), or -1.
int32_t FindItem(int32_t creatureIndex, const std::string& itemName);
// One unit more of the named kind for the creature: the entry's count goes up, or a copy of the
// kind is appended with count 1. Unknown kinds and creature indexes do nothing.
void GiveItem(int32_t creatureIndex, const std::string& itemName);
// One unit less of the creature's first entry of that name; at 0 the entry goes (later entries
// move up) and a drag of it ends. Nothing when there is no such entry.
void RemoveItem(int32_t creatureIndex, const std::string& itemName);
// Runs the entry's use script with the creature as the current creature, then removes one unit,
// whatever the script did (even when it did not compile). Nothing when there is no such entry.
void UseItem(int32_t creatureIndex, const std::string& itemName);

// Back to the state at process start (tests). Textures stay with their manager.
void ItemsReset();

}  // namespace game
