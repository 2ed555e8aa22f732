// The 31 script functions and the variable stores. Every function looks its creature or wall up
// by ID and does nothing (or returns 0, false, '') when there is none: scripts never get errors.
#include "game/script/script_funcs.h"

#include <algorithm>
#include <limits>

#include "game/actors/actors.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/declarations.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"

namespace game {

namespace {

TScriptStores g_stores;

TCreature* CreatureByID(uint16_t id) {
  int32_t index = FindCreature(id);
  return index < 0 ? nullptr : &CreatureLists().Creatures[static_cast<size_t>(index)];
}

TWall* WallByID(uint16_t id) {
  int32_t index = FindWall(id);
  return index < 0 ? nullptr : &WallLists().Walls[static_cast<size_t>(index)];
}

template <typename V>
void StoreSet(std::vector<std::pair<std::string, V>>& store, const std::string& name, V value) {
  for (auto& entry : store) {
    if (entry.first == name) {
      entry.second = value;
      return;
    }
  }
  store.emplace_back(name, value);
}

template <typename V>
V StoreGet(const std::vector<std::pair<std::string, V>>& store, const std::string& name) {
  for (const auto& entry : store)
    if (entry.first == name) return entry.second;
  return V{};
}

int32_t CrGetParam(uint16_t id, const std::string& paramName) {
  const TCreature* c = CreatureByID(id);
  if (c == nullptr) return 0;
  std::string name = UpperAscii(paramName);
  if (name == "SHOTS") return c->Shots;
  if (name == "SHOTRANGE") return c->ShotRange;
  if (name == "MOVEPOINTS") return c->MovePoints;
  if (name == "MOVEPOINTSMAX") return c->MovePointsMax;
  if (name == "ATACKPOINTS") return c->AtackPoints;
  if (name == "ATACKPOINTSMAX") return c->AtackPointsMax;
  if (name == "HEALTH") return c->Health;
  if (name == "HEALTHMAX") return c->HealthMax;
  if (name == "DAMAGE") return c->Damage;
  if (name == "SHOTDAMAGE") return c->ShotDamage;
  return 0;
}

void CrSetParam(uint16_t id, const std::string& paramName, int32_t value) {
  TCreature* c = CreatureByID(id);
  if (c == nullptr) return;
  if (UpperAscii(paramName) == "HEALTH") c->Health = value;
  // Any name clamps, so a script can repair a health above the maximum by naming anything.
  if (c->Health > c->HealthMax) c->Health = c->HealthMax;
}

void CrLookAtWall(uint16_t creatureID, uint16_t wallID) {
  TCreature* c = CreatureByID(creatureID);
  const TWall* w = WallByID(wallID);
  if (c == nullptr || w == nullptr) return;
  c->Angle = FacingAngle(c->TileX, c->TileY, w->X, w->Y);
}

void CrEffectCreate(uint16_t id, const std::string& effectName) {
  TCreature* c = CreatureByID(id);
  if (c == nullptr) return;
  float x = c->WorldX, z = c->WorldZ;
  uint16_t effect = CreateEffect(effectName, x, 0.0f, z);
  // CreateEffect may not touch the creature list, but look the creature up again all the same.
  c = CreatureByID(id);
  if (c != nullptr) c->EffectID = effect;
}

void CrDamage(uint16_t id, int32_t damage) {
  TCreature* c = CreatureByID(id);
  if (c == nullptr) return;
  c->State = StateDamage;
  c->Frame = 0.0f;
  // NOTE: a negative damage heals without bound; the sum saturates instead of overflowing.
  int64_t health = static_cast<int64_t>(c->Health) - damage;
  health = std::clamp<int64_t>(health, 0, std::numeric_limits<int32_t>::max());
  c->Health = static_cast<int32_t>(health);
}

void WallSetFrame(uint16_t id, float frame) {
  TWall* w = WallByID(id);
  if (w == nullptr || w->Model == nullptr || w->Model->FrameCount == 0) return;
  if (frame >= 0.0f && frame <= static_cast<float>(w->Model->FrameCount - 1)) w->Frame = frame;
}

void CamSetPos(float x, float y, float z, float cx, float cz) {
  TGmCamera& camera = GmCamera();
  camera.Camera.Position = {x, y, z};
  camera.GroundTargetX = cx;
  camera.GroundTargetZ = cz;
  eng::CameraLookAt(camera.Camera, {cx, 0.0f, cz}, {0.0f, 1.0f, 0.0f});
}

// The implementations in declaration order; names are the declared names in upper case.
const std::vector<script::TNativeEntry>& Natives() {
  using script::MakeNative;
  using S = const std::string&;
  static const std::vector<script::TNativeEntry> natives = {
      {"SETINT", MakeNative([](S name, int32_t v) { StoreSet(g_stores.Ints, name, v); })},
      {"GETINT", MakeNative([](S name) { return StoreGet(g_stores.Ints, name); })},
      {"SETBOOL", MakeNative([](S name, bool v) { StoreSet(g_stores.Bools, name, v); })},
      {"GETBOOL", MakeNative([](S name) { return StoreGet(g_stores.Bools, name); })},
      {"GAMEMESSAGE", MakeNative([](S text) { GameMessage(text); })},
      {"ENDTURN", MakeNative([] { EndTurn(); })},
      {"CAM_SETPOS", MakeNative(&CamSetPos)},
      {"CR_ID", MakeNative([] { return ScriptContext().CurrentCreatureID; })},
      {"CR_GETNAME", MakeNative([](uint16_t id) {
         const TCreature* c = CreatureByID(id);
         return c == nullptr ? std::string() : c->Name;
       })},
      {"CR_SETPARAM", MakeNative(&CrSetParam)},
      {"CR_GETPARAM", MakeNative(&CrGetParam)},
      {"CR_SETANGLE", MakeNative([](uint16_t id, float angle) {
         if (TCreature* c = CreatureByID(id)) c->Angle = angle;
       })},
      {"CR_LOOKATWALL", MakeNative(&CrLookAtWall)},
      {"CR_GIVEITEM", MakeNative([](uint16_t id, S name) { GiveItem(FindCreature(id), name); })},
      {"CR_REMOVEITEM", MakeNative([](uint16_t id, S name) { RemoveItem(FindCreature(id), name); })},
      {"CR_EFFECTCREATE", MakeNative(&CrEffectCreate)},
      {"CR_DAMAGE", MakeNative(&CrDamage)},
      {"WALL_ID", MakeNative([] { return ScriptContext().CurrentWallID; })},
      {"WALL_IGNORESTANDARDSCRIPT", MakeNative([] { ScriptContext().IgnoreStandardScript = true; })},
      {"WALL_SETFRAME", MakeNative(&WallSetFrame)},
      {"WALL_SETGHOST", MakeNative([](uint16_t id, bool ghost) {
         SetWallGhost(FindWall(id), ghost);
       })},
      {"WALL_PLAYANIM", MakeNative([](uint16_t id) {
         if (TWall* w = WallByID(id)) w->Animated = true;
       })},
      {"WINDOW_CREATE", MakeNative([](S window) { Window_Create(window); })},
      {"WINDOW_CLOSE", MakeNative([](S window) { Window_Close(window); })},
      {"WINDOW_SETSIZE", MakeNative([](S window, int32_t w, int32_t h) { Window_SetSize(window, w, h); })},
      {"BUTTON_SETCAPTION", MakeNative([](S window, S button, S caption) { Button_SetCaption(window, button, caption); })},
      {"BUTTON_SETPOS", MakeNative([](S window, S button, int32_t x, int32_t y) { Button_SetPos(window, button, x, y); })},
      {"LABEL_SETCAPTION", MakeNative([](S window, S label, S caption) { Label_SetCaption(window, label, caption); })},
      {"LABEL_SETPOS", MakeNative([](S window, S label, int32_t x, int32_t y) { Label_SetPos(window, label, x, y); })},
      {"LABEL_GETWIDTH", MakeNative([](S window, S label) { return Label_GetWidth(window, label); })},
      {"ITEMSLOT_SETOWNERID", MakeNative([](S window, S slot, uint16_t id) { ItemSlot_SetOwnerID(window, slot, id); })},
  };
  return natives;
}

}  // namespace

TScriptStores& ScriptStores() { return g_stores; }

bool Script_Register(script::TScriptCompiler& compiler, const std::string& unit) {
  if (unit != "SYSTEM") return false;
  bool ok = true;
  for (const char* declaration : kScriptDeclarations) ok = compiler.AddFunction(declaration) && ok;
  return ok;
}

void Script_BindFunctions(script::TScriptExec& exec) {
  for (const script::TNativeEntry& entry : Natives()) exec.RegisterFunction(entry.name, entry.function);
}

std::vector<std::string> ScriptFunctionNames() {
  std::vector<std::string> names;
  for (const script::TNativeEntry& entry : Natives()) names.emplace_back(entry.name);
  return names;
}

void ScriptFunctionsReset() { g_stores = TScriptStores{}; }

}  // namespace game
