// The state dump's script and items sections.
#include "game/script/script_dump.h"

#include <string>
#include <vector>

#include "game/actors/creatures.h"
#include "game/core/state_dump.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"

namespace game {

namespace {

std::string Key(const char* record, size_t index, const char* field) {
  return std::string(record) + "." + std::to_string(index) + "." + field;
}

void WriteScript(TStateDumpWriter& w) {
  const TScriptContext& context = ScriptContext();
  w.Int("CurrentCreatureID", context.CurrentCreatureID);
  w.Int("CurrentWallID", context.CurrentWallID);
  w.Bool("IgnoreStandardScript", context.IgnoreStandardScript);
  const std::vector<std::string>& runs = ScriptHostRuns();
  w.Int("runs", static_cast<int64_t>(runs.size()));
  for (size_t i = 0; i < runs.size(); ++i) w.Text("run." + std::to_string(i), runs[i]);
  const std::vector<script::TExecStatus> pool = ScriptPoolStatus();
  w.Int("slots", static_cast<int64_t>(pool.size()));
  for (size_t i = 0; i < pool.size(); ++i) w.Text("slot." + std::to_string(i), ScriptStatusName(pool[i]));
  const TScriptStores& stores = ScriptStores();
  w.Int("ints", static_cast<int64_t>(stores.Ints.size()));
  for (size_t i = 0; i < stores.Ints.size(); ++i) {
    w.Text(Key("int", i, "Name"), stores.Ints[i].first);
    w.Int(Key("int", i, "Value"), stores.Ints[i].second);
  }
  w.Int("bools", static_cast<int64_t>(stores.Bools.size()));
  for (size_t i = 0; i < stores.Bools.size(); ++i) {
    w.Text(Key("bool", i, "Name"), stores.Bools[i].first);
    w.Bool(Key("bool", i, "Value"), stores.Bools[i].second);
  }
}

// Keyed by creature index, as the creatures section is, so that the two read side by side.
void WriteItems(TStateDumpWriter& w) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  for (size_t c = 0; c < all.size(); ++c) {
    const std::vector<TGmItem>& items = all[c].Items;
    w.Int(Key("creature", c, "items"), static_cast<int64_t>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
      std::string prefix = Key("creature", c, "item") + "." + std::to_string(i) + ".";
      w.Text(prefix + "Name", items[i].Name);
      w.Int(prefix + "Count", items[i].Count);
    }
  }
}

}  // namespace

void ScriptAddDumpSections() {
  StateDumpAddSection("script", WriteScript);
  StateDumpAddSection("items", WriteItems);
}

}  // namespace game
