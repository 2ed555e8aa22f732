// The state dump: the writer, the section list and the game's own sections.
#include "game/core/state_dump.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/image_write.h"
#include "game/actors/ai.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/script/script_dump.h"

namespace game {

namespace {

constexpr const char* kHeader = "tessera-state 1\n";

struct TStateDumpState {
  std::vector<std::pair<std::string, TStateDumpSection>> Sections;
};

TStateDumpState g_dump;

std::string Indexed(const char* record, size_t index, const char* field) {
  return std::string(record) + "." + std::to_string(index) + "." + field;
}

// One value of a record, whatever its type, as the writer writes it.
class TDumpValue {
 public:
  template <typename T>
  TDumpValue(const T& value) {  // NOLINT: implicit, so that records list plain fields
    if constexpr (std::is_same_v<T, bool>) {
      kind_ = Kind::Bool;
      int_ = value;
    } else if constexpr (std::is_integral_v<T>) {
      kind_ = Kind::Int;
      int_ = value;
    } else if constexpr (std::is_floating_point_v<T>) {
      kind_ = Kind::Float;
      float_ = static_cast<float>(value);
    } else {
      kind_ = Kind::Text;
      text_ = value;
    }
  }
  void Write(TStateDumpWriter& w, const std::string& key) const {
    switch (kind_) {
      case Kind::Int: w.Int(key, int_); break;
      case Kind::Bool: w.Bool(key, int_ != 0); break;
      case Kind::Float: w.Float(key, float_); break;
      case Kind::Text: w.Text(key, text_); break;
    }
  }

 private:
  enum class Kind { Int, Bool, Float, Text };
  Kind kind_ = Kind::Int;
  int64_t int_ = 0;
  float float_ = 0.0f;
  std::string_view text_;
};

// The fields of record `index` of a list, as "RECORD.INDEX.FIELD VALUE" lines.
void WriteRecord(TStateDumpWriter& w, const char* record, size_t index,
                 std::initializer_list<std::pair<const char*, TDumpValue>> fields) {
  for (const auto& [field, value] : fields) value.Write(w, Indexed(record, index, field));
}

void WriteCore(TStateDumpWriter& w) {
  const TGameCore& core = Core();
  w.Int("Tick", core.TicksDone);
  w.Int("FramesThisTick", core.FramesThisTick);
  w.Int("FramesPerTick", core.FramesPerTick);
  w.Int("CursorTileX", core.CursorTileX);
  w.Int("CursorTileY", core.CursorTileY);
  w.Float("PickDistance", core.PickDistance);
}

void WritePlayers(TStateDumpWriter& w) {
  const TPlayersState& p = PlayerTable();
  w.Int("CurrentPlayer", p.CurrentPlayer);
  w.Bool("TurnBased", p.TurnBased);
  w.Bool("WaitingForStop", p.WaitingForStop);
  w.Int("TurnsEnded", p.TurnsEnded);
  for (size_t i = 0; i < p.Players.size(); ++i) {
    const TPlayer& player = p.Players[i];
    WriteRecord(w, "player", i,
                {{"Human", player.Human}, {"Side", player.Side}, {"SelectedCreature", player.SelectedCreature}});
  }
}

void WriteAi(TStateDumpWriter& w) { w.Int("AiCalmTicks", AiState().AiCalmTicks); }

void WriteCreatures(TStateDumpWriter& w) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  w.Int("count", static_cast<int64_t>(all.size()));
  for (size_t i = 0; i < all.size(); ++i) {
    const TCreature& c = all[i];
    WriteRecord(w, "creature", i,
                {{"ID", c.ID}, {"Name", c.Name}, {"Owner", c.Owner}, {"Alive", c.Alive}, {"Selected", c.Selected},
                 {"State", c.State}, {"Frame", c.Frame}, {"Angle", c.Angle}, {"TileX", c.TileX}, {"TileY", c.TileY},
                 {"NextX", c.NextX}, {"NextY", c.NextY}, {"RouteX", c.RouteX}, {"RouteY", c.RouteY},
                 {"StepProgress", c.StepProgress}, {"WorldX", c.WorldX}, {"WorldZ", c.WorldZ}, {"DrawX", c.DrawX},
                 {"DrawZ", c.DrawZ}, {"MoveSpeed", c.MoveSpeed}, {"AnimSpeed", c.AnimSpeed},
                 {"HasOrder", c.HasOrder}, {"OrderX", c.OrderX}, {"OrderY", c.OrderY}, {"Target", c.Target},
                 {"AtackFrame", c.AtackFrame}, {"ShotFrame", c.ShotFrame}, {"Bullet", c.Bullet}, {"Shots", c.Shots},
                 {"ShotRange", c.ShotRange}, {"EffectID", c.EffectID}, {"MovePoints", c.MovePoints},
                 {"MovePointsMax", c.MovePointsMax}, {"AtackPoints", c.AtackPoints},
                 {"AtackPointsMax", c.AtackPointsMax}, {"Health", c.Health}, {"HealthMax", c.HealthMax},
                 {"Damage", c.Damage}, {"ShotDamage", c.ShotDamage}});
  }
}

void WriteWalls(TStateDumpWriter& w) {
  const std::vector<TWall>& all = ReadWallLists().Walls;
  w.Int("count", static_cast<int64_t>(all.size()));
  for (size_t i = 0; i < all.size(); ++i) {
    const TWall& wall = all[i];
    WriteRecord(w, "wall", i,
                {{"ID", wall.ID}, {"Name", wall.Name}, {"X", wall.X}, {"Y", wall.Y}, {"Angle", wall.Angle},
                 {"Frame", wall.Frame}, {"Animated", wall.Animated}, {"Ghost", wall.Ghost},
                 {"DiagonalTouch", wall.DiagonalTouch}, {"TouchTileX", wall.TouchTileX},
                 {"TouchTileY", wall.TouchTileY}});
  }
}

void WriteBullets(TStateDumpWriter& w) {
  const std::vector<TBullet>& all = BulletLists().Bullets;
  w.Int("count", static_cast<int64_t>(all.size()));
  for (size_t i = 0; i < all.size(); ++i) {
    const TBullet& b = all[i];
    WriteRecord(w, "bullet", i,
                {{"Name", b.Name}, {"Angle", b.Angle}, {"WorldX", b.WorldX}, {"WorldZ", b.WorldZ},
                 {"OffsetY", b.OffsetY}, {"DistanceLeft", b.DistanceLeft}, {"MoveSpeed", b.MoveSpeed},
                 {"Frame", b.Frame}, {"Target", b.Target}, {"Damage", b.Damage}, {"EffectID", b.EffectID}});
  }
}

void WriteEffects(TStateDumpWriter& w) {
  const TEffectLists& lists = EffectLists();
  w.Int("count", static_cast<int64_t>(lists.Effects.size()));
  w.Int("particles", static_cast<int64_t>(lists.Particles.size()));
  for (size_t i = 0; i < lists.Effects.size(); ++i) {
    const TEffect& e = lists.Effects[i];
    WriteRecord(w, "effect", i,
                {{"ID", e.ID}, {"Name", e.Name}, {"PosX", e.PosX}, {"PosY", e.PosY}, {"PosZ", e.PosZ},
                 {"Lifetime", e.Lifetime}, {"CantMove", e.CantMove}});
  }
}

// What the game asked of the GUI; its own section may take this over.
void WriteGui(TStateDumpWriter& w) {
  const TGuiFlags& flags = GuiFlags();
  w.Bool("GameFrozen", flags.GameFrozen);
  w.Bool("ModalOpen", flags.ModalOpen);
  w.Bool("MouseOverGui", flags.MouseOverGui);
  const std::vector<std::string>& events = GuiFiredEvents();
  w.Int("events", static_cast<int64_t>(events.size()));
  for (size_t i = 0; i < events.size(); ++i) w.Text("event." + std::to_string(i), events[i]);
  const std::vector<std::string>& messages = GuiMessages();
  w.Int("messages", static_cast<int64_t>(messages.size()));
  for (size_t i = 0; i < messages.size(); ++i) w.Text("message." + std::to_string(i), messages[i]);
}

}  // namespace

void TStateDumpWriter::Key(std::string_view key) {
  out_->append(key);
  out_->push_back(' ');
}

void TStateDumpWriter::Int(std::string_view key, int64_t value) {
  Key(key);
  out_->append(std::to_string(value));
  out_->push_back('\n');
}

void TStateDumpWriter::Bool(std::string_view key, bool value) { Int(key, value ? 1 : 0); }

void TStateDumpWriter::Float(std::string_view key, float value) {
  Key(key);
  out_->append(FormatDumpFloat(value));
  out_->push_back('\n');
}

void TStateDumpWriter::Text(std::string_view key, std::string_view value) {
  Key(key);
  out_->append(FormatDumpText(value));
  out_->push_back('\n');
}

std::string FormatDumpFloat(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  // The shortest digits that read back as the same float, in plain notation: the same text on
  // every platform and in every locale.
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

std::string FormatDumpText(std::string_view value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char ch : value) {
    auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (byte < 32 || byte > 126) {
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    } else {
      out.push_back(ch);
    }
  }
  out.push_back('"');
  return out;
}

void StateDumpAddSection(const std::string& name, TStateDumpSection writer) {
  for (auto& section : g_dump.Sections) {
    if (section.first == name) {
      section.second = std::move(writer);
      return;
    }
  }
  g_dump.Sections.emplace_back(name, std::move(writer));
}

void StateDumpAddGameSections() {
  // The GUI's and the script host's own sections, when they have added them, stay.
  auto addIfMissing = [](const std::string& name, TStateDumpSection writer) {
    for (const auto& section : g_dump.Sections)
      if (section.first == name) return;
    StateDumpAddSection(name, std::move(writer));
  };
  StateDumpAddSection("core", WriteCore);
  StateDumpAddSection("players", WritePlayers);
  StateDumpAddSection("ai", WriteAi);
  StateDumpAddSection("creatures", WriteCreatures);
  StateDumpAddSection("walls", WriteWalls);
  StateDumpAddSection("bullets", WriteBullets);
  StateDumpAddSection("effects", WriteEffects);
  addIfMissing("gui", WriteGui);
  ScriptAddDumpSections();
}

std::string StateDumpText() {
  std::string out = kHeader;
  TStateDumpWriter writer(&out);
  for (const auto& section : g_dump.Sections) {
    out += "[" + section.first + "]\n";
    section.second(writer);
  }
  return out;
}

bool StateDumpWrite(const std::string& path, std::string* error) {
  std::string text = StateDumpText();
  return eng::WriteBytesToFile(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

void StateDumpReset() { g_dump = TStateDumpState{}; }

}  // namespace game
