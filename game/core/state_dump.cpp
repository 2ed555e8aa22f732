// The state dump: the writer, the section list and the game's own sections.
#include "game/core/state_dump.h"

#include <charconv>
#include <cmath>
#include <cstdio>
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
#include "game/script/script_host.h"

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
    w.Bool(Indexed("player", i, "Human"), p.Players[i].Human);
    w.Int(Indexed("player", i, "Side"), p.Players[i].Side);
    w.Int(Indexed("player", i, "SelectedCreature"), p.Players[i].SelectedCreature);
  }
}

void WriteAi(TStateDumpWriter& w) { w.Int("AiCalmTicks", AiState().AiCalmTicks); }

void WriteCreatures(TStateDumpWriter& w) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  w.Int("count", static_cast<int64_t>(all.size()));
  for (size_t i = 0; i < all.size(); ++i) {
    const TCreature& c = all[i];
    auto key = [i](const char* field) { return Indexed("creature", i, field); };
    w.Int(key("ID"), c.ID);
    w.Text(key("Name"), c.Name);
    w.Int(key("Owner"), c.Owner);
    w.Bool(key("Alive"), c.Alive);
    w.Bool(key("Selected"), c.Selected);
    w.Int(key("State"), c.State);
    w.Float(key("Frame"), c.Frame);
    w.Float(key("Angle"), c.Angle);
    w.Int(key("TileX"), c.TileX);
    w.Int(key("TileY"), c.TileY);
    w.Int(key("NextX"), c.NextX);
    w.Int(key("NextY"), c.NextY);
    w.Int(key("RouteX"), c.RouteX);
    w.Int(key("RouteY"), c.RouteY);
    w.Float(key("StepProgress"), c.StepProgress);
    w.Float(key("WorldX"), c.WorldX);
    w.Float(key("WorldZ"), c.WorldZ);
    w.Float(key("DrawX"), c.DrawX);
    w.Float(key("DrawZ"), c.DrawZ);
    w.Float(key("MoveSpeed"), c.MoveSpeed);
    w.Float(key("AnimSpeed"), c.AnimSpeed);
    w.Bool(key("HasOrder"), c.HasOrder);
    w.Int(key("OrderX"), c.OrderX);
    w.Int(key("OrderY"), c.OrderY);
    w.Int(key("Target"), c.Target);
    w.Int(key("AtackFrame"), c.AtackFrame);
    w.Int(key("ShotFrame"), c.ShotFrame);
    w.Text(key("Bullet"), c.Bullet);
    w.Int(key("Shots"), c.Shots);
    w.Int(key("ShotRange"), c.ShotRange);
    w.Int(key("EffectID"), c.EffectID);
    w.Int(key("MovePoints"), c.MovePoints);
    w.Int(key("MovePointsMax"), c.MovePointsMax);
    w.Int(key("AtackPoints"), c.AtackPoints);
    w.Int(key("AtackPointsMax"), c.AtackPointsMax);
    w.Int(key("Health"), c.Health);
    w.Int(key("HealthMax"), c.HealthMax);
    w.Int(key("Damage"), c.Damage);
    w.Int(key("ShotDamage"), c.ShotDamage);
  }
}

void WriteWalls(TStateDumpWriter& w) {
  const std::vector<TWall>& all = WallLists().Walls;
  w.Int("count", static_cast<int64_t>(all.size()));
  for (size_t i = 0; i < all.size(); ++i) {
    const TWall& wall = all[i];
    auto key = [i](const char* field) { return Indexed("wall", i, field); };
    w.Int(key("ID"), wall.ID);
    w.Text(key("Name"), wall.Name);
    w.Int(key("X"), wall.X);
    w.Int(key("Y"), wall.Y);
    w.Float(key("Angle"), wall.Angle);
    w.Float(key("Frame"), wall.Frame);
    w.Bool(key("Animated"), wall.Animated);
    w.Bool(key("Ghost"), wall.Ghost);
    w.Bool(key("DiagonalTouch"), wall.DiagonalTouch);
    w.Int(key("TouchTileX"), wall.TouchTileX);
    w.Int(key("TouchTileY"), wall.TouchTileY);
  }
}

void WriteBullets(TStateDumpWriter& w) {
  const std::vector<TBullet>& all = BulletLists().Bullets;
  w.Int("count", static_cast<int64_t>(all.size()));
  for (size_t i = 0; i < all.size(); ++i) {
    const TBullet& b = all[i];
    auto key = [i](const char* field) { return Indexed("bullet", i, field); };
    w.Text(key("Name"), b.Name);
    w.Float(key("Angle"), b.Angle);
    w.Float(key("WorldX"), b.WorldX);
    w.Float(key("WorldZ"), b.WorldZ);
    w.Float(key("OffsetY"), b.OffsetY);
    w.Float(key("DistanceLeft"), b.DistanceLeft);
    w.Float(key("MoveSpeed"), b.MoveSpeed);
    w.Float(key("Frame"), b.Frame);
    w.Int(key("Target"), b.Target);
    w.Int(key("Damage"), b.Damage);
    w.Int(key("EffectID"), b.EffectID);
  }
}

void WriteEffects(TStateDumpWriter& w) {
  const TEffectLists& lists = EffectLists();
  w.Int("count", static_cast<int64_t>(lists.Effects.size()));
  w.Int("particles", static_cast<int64_t>(lists.Particles.size()));
  for (size_t i = 0; i < lists.Effects.size(); ++i) {
    const TEffect& e = lists.Effects[i];
    auto key = [i](const char* field) { return Indexed("effect", i, field); };
    w.Int(key("ID"), e.ID);
    w.Text(key("Name"), e.Name);
    w.Float(key("PosX"), e.PosX);
    w.Float(key("PosY"), e.PosY);
    w.Float(key("PosZ"), e.PosZ);
    w.Int(key("Lifetime"), e.Lifetime);
    w.Bool(key("CantMove"), e.CantMove);
  }
}

// What the game asked of the GUI and the script host; their own sections may take these over.
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

void WriteScript(TStateDumpWriter& w) {
  const TScriptContext& context = ScriptContext();
  w.Int("CurrentCreatureID", context.CurrentCreatureID);
  w.Int("CurrentWallID", context.CurrentWallID);
  w.Bool("IgnoreStandardScript", context.IgnoreStandardScript);
  const std::vector<std::string>& runs = ScriptHostRuns();
  w.Int("runs", static_cast<int64_t>(runs.size()));
  for (size_t i = 0; i < runs.size(); ++i) w.Text("run." + std::to_string(i), runs[i]);
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
  addIfMissing("script", WriteScript);
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
