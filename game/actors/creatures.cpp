// Creature kinds, creatures, their drawing, selection rings and picking.
#include "game/actors/creatures.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "game/actors/actors.h"
#include "game/core/camera.h"
#include "game/core/players.h"
#include "game/models/mesh.h"
#include "game/world/assets.h"
#include "game/world/defs.h"
#include "game/world/floor.h"
#include "game/world/registry.h"

namespace game {

namespace {

constexpr int kIdCount = 65536;
// Creature kinds turn degrees into radians with this value of pi, and add this quarter turn.
constexpr double kCreaturePi = 3.1415926;
constexpr float kQuarterTurn = 1.5707963f;

TCreatureLists g_creatures;

// The model keys add an entry each time they occur; the speed keys reach only an entry already
// added. Every lookup takes the first entry of a name, so a repeated key's entry is never used:
// it gets no mesh, and the modder is told.
TDefKey<TCreature> ModelKey(const char* key, const char* modelName) {
  return {key, [key, modelName](TCreature& c, const TDefLine& line) {
            bool repeated = std::find(c.ModelNames.begin(), c.ModelNames.end(), modelName) != c.ModelNames.end();
            if (repeated)
              ReportProblem({line.File ? ShownPath(*line.File) : std::string(), line.Line, 0,
                             std::string(key) + " is given again: only its first line counts"});
            c.Models.push_back(repeated ? nullptr : LoadKindModel(line, nullptr));
            c.ModelNames.push_back(modelName);
            c.ModelSpeeds.push_back(0.0f);
            c.ModelCount = static_cast<int32_t>(c.Models.size());
          }};
}

TDefKey<TCreature> SpeedKey(const char* key, const char* modelName) {
  return {key, [modelName](TCreature& c, const TDefLine& line) { SetModelSpeed(c, modelName, line.Float()); }};
}

// 0, or a frame past the end compared as unsigned (so also a negative one), means the last frame
// of the named model.
void CorrectFrame(const TCreature& c, const char* modelName, int32_t* frame) {
  const TGmMesh* model = GetModel(c, modelName);
  if (model == nullptr) return;
  uint32_t last = model->FrameCount - 1u;  // wraps for a frameless model, as an unsigned count does
  if (*frame == 0 || static_cast<uint32_t>(*frame) > last) *frame = static_cast<int32_t>(last);
}

const TDefFormat<TCreature>& CreatureFormat() {
  static const TDefFormat<TCreature> format = [] {
    TDefFormat<TCreature> f;
    f.Defaults = [](TCreature& c) {
      c.Scale = 1.0f;
      c.AnimSpeed = 0.3f;
      c.MoveSpeed = 0.05f;
      c.ShotRange = 5;
      c.HealthMax = 1;
    };
    f.Keys = {
        DefField("NAME", &TCreature::Name),
        {"TEXTURE",
         [](TCreature& c, const TDefLine& line) {
           c.Texture = LoadKindTexture(line, "Data/Textures/", eng::WorldTextureFlags, c.Texture);
         }},
        ModelKey("STANDMODEL", "Stand"),
        ModelKey("WALKMODEL", "Walk"),
        ModelKey("ATACKMODEL", "Atack"),
        ModelKey("SHOTMODEL", "Shot"),
        ModelKey("DAMAGEMODEL", "Damage"),
        DefField("SCALEMODEL", &TCreature::Scale),
        DefDegrees("ROTATEX", &TCreature::RotateX, kCreaturePi),
        DefDegrees("ROTATEY", &TCreature::RotateY, kCreaturePi),
        DefDegrees("ROTATEZ", &TCreature::RotateZ, kCreaturePi),
        DefField("FLATNORMALS", &TCreature::FlatNormals),
        // Read after the file, where its last line counts; listed so that it is a known key.
        {"FLIPNORMALS", [](TCreature&, const TDefLine&) {}},
        DefField("ATACKFRAME", &TCreature::AtackFrame),
        DefField("SHOTFRAME", &TCreature::ShotFrame),
        DefField("ANIMSPEED", &TCreature::AnimSpeed),
        DefField("MOVESPEED", &TCreature::MoveSpeed),
        SpeedKey("STANDANIMSPEED", "Stand"),
        SpeedKey("WALKANIMSPEED", "Walk"),
        SpeedKey("ATACKANIMSPEED", "Atack"),
        SpeedKey("SHOTANIMSPEED", "Shot"),
        SpeedKey("DAMAGEANIMSPEED", "Damage"),
        DefField("MOVEPOINTS", &TCreature::MovePointsMax),
        DefField("ATACKPOINTS", &TCreature::AtackPointsMax),
        DefField("HEALTH", &TCreature::HealthMax),
        DefField("DAMAGE", &TCreature::Damage),
        DefField("BULLET", &TCreature::Bullet),
        DefField("SHOTS", &TCreature::Shots),
        DefField("SHOTRANGE", &TCreature::ShotRange),
        DefField("SHOTDAMAGE", &TCreature::ShotDamage),
    };
    f.AfterKeys = {"FLIPNORMALS"};
    f.AfterReading = [](TCreature& c, const TDefRead& read) {
      c.RotateY += kQuarterTurn;
      std::optional<std::string> flipValue = read.Last("FLIPNORMALS");
      bool flip = flipValue && ParseBool(*flipValue);
      for (TGmMesh* model : c.Models) {
        if (model == nullptr) continue;
        if (c.FlatNormals) model->FlatNormals = true;
        if (flip) MeshFlipNormals(model);
      }
      CorrectFrame(c, "Atack", &c.AtackFrame);
      CorrectFrame(c, "Shot", &c.ShotFrame);
      c.Health = c.HealthMax;
      c.MovePoints = c.MovePointsMax;
      c.AtackPoints = c.AtackPointsMax;
    };
    return f;
  }();
  return format;
}

bool InsideMap(int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x <= Registry().MapWidth && y <= Registry().MapHeight;
}

// The smallest ID from 1 up that no creature ever placed carries; 0 when every one is taken.
uint16_t FreeCreatureId() {
  std::vector<bool> used(kIdCount, false);
  for (const TCreature& c : g_creatures.Creatures) used[c.ID] = true;
  for (int id = 1; id < kIdCount; ++id)
    if (!used[static_cast<size_t>(id)]) return static_cast<uint16_t>(id);
  return 0;
}

}  // namespace

TCreatureLists& CreatureLists() { return g_creatures; }

const char* StateModelName(uint8_t state) {
  static const char* const names[] = {"Stand", "Walk", "Atack", "Shot", "Damage"};
  return state < 5 ? names[state] : "";
}

void LoadCreatureKind(const std::string& fileName) {
  LoadDefinitionKind(fileName, CreatureFormat(), g_creatures.CreatureKinds);
}

void AddModel(TCreature& kind, const std::string& modelName, const std::string& fileName) {
  kind.Models.push_back(MeshLoad(fileName));
  kind.ModelNames.push_back(modelName);
  kind.ModelSpeeds.push_back(0.0f);
  kind.ModelCount = static_cast<int32_t>(kind.Models.size());
}

TGmMesh* GetModel(const TCreature& creature, const std::string& modelName) {
  for (size_t i = 0; i < creature.ModelNames.size(); ++i)
    if (creature.ModelNames[i] == modelName) return creature.Models[i];
  return nullptr;
}

void SetModelSpeed(TCreature& kind, const std::string& modelName, float speed) {
  for (size_t i = 0; i < kind.ModelNames.size(); ++i) {
    if (kind.ModelNames[i] == modelName) {
      kind.ModelSpeeds[i] = speed;
      return;
    }
  }
}

float GetStateAnimSpeed(const TCreature& creature) {
  const char* name = StateModelName(creature.State);
  for (size_t i = 0; i < creature.ModelNames.size(); ++i)
    if (creature.ModelNames[i] == name) return creature.ModelSpeeds[i];
  return 0.0f;
}

uint16_t CreateCreature(const std::string& kindName, int32_t x, int32_t y, float angle) {
  if (!InsideMap(x, y)) return 0;
  for (const TCreature& c : g_creatures.Creatures)
    if (c.Alive && c.TileX == x && c.TileY == y) return 0;
  int32_t kind = FindKind(g_creatures.CreatureKinds, kindName);
  if (kind < 0) return 0;
  uint16_t id = FreeCreatureId();
  if (id == 0) return 0;

  TCreature c = g_creatures.CreatureKinds[static_cast<size_t>(kind)];
  c.ID = id;
  c.TileX = x;
  c.TileY = y;
  c.WorldX = 2.0f * static_cast<float>(x);
  c.WorldZ = 2.0f * static_cast<float>(y);
  c.Angle = angle;
  c.Target = -1;
  c.Alive = true;
  g_creatures.Creatures.push_back(std::move(c));
  return id;
}

int32_t FindCreature(uint16_t id) {
  for (size_t i = 0; i < g_creatures.Creatures.size(); ++i)
    if (g_creatures.Creatures[i].ID == id) return static_cast<int32_t>(i);
  return -1;
}

eng::TMatrix4 CreatureMatrix(const TCreature& creature, float drawX, float drawZ) {
  return ActorMatrix(drawX, drawZ, creature.Angle, creature.RotateX, creature.RotateY, creature.RotateZ,
                     creature.Scale);
}

void DrawCreatures() {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  float f = DrawFraction();
  const eng::TCamera3D& camera = GmCamera().Camera;
  const eng::TFrustum view = DrawFrustum(camera.Matrix);
  const TCreature* skippedLast = nullptr;
  const TGmMesh* skippedModel = nullptr;
  float skippedFrame = 0.0f;
  for (TCreature& c : g_creatures.Creatures) {
    if (!c.Alive) continue;
    const TGmMesh* model = GetModel(c, StateModelName(c.State));
    c.DrawX = c.WorldX;
    c.DrawZ = c.WorldZ;
    float frame = c.Frame;
    if (f > 0.0f) {
      if (c.State == StateWalk) {
        double radians = static_cast<double>(c.Angle) * std::numbers::pi / 180.0;
        c.DrawX = c.WorldX + static_cast<float>(std::cos(radians)) * f * c.MoveSpeed;
        c.DrawZ = c.WorldZ + static_cast<float>(std::sin(radians)) * f * c.MoveSpeed;
      }
      float s = GetStateAnimSpeed(c);
      if (s == 0.0f) s = c.AnimSpeed;
      frame = c.Frame + f * s;
    }
    c.Matrix = CreatureMatrix(c, c.DrawX, c.DrawZ);
    if (model == nullptr) continue;
    if (MeshOutsideView(view, model, frame, c.Matrix)) {
      ++DrawCounts().Culled;
      skippedLast = &c;
      skippedModel = model;
      skippedFrame = frame;
      continue;
    }
    skippedLast = nullptr;
    ++DrawCounts().Drawn;
    eng::CameraLoadMatrix(camera);
    glMultMatrixf(c.Matrix.data());
    glBindTexture(GL_TEXTURE_2D, c.Texture != nullptr ? c.Texture->ID : 0);
    MeshDraw(model, frame);
  }
  // What comes after sees the matrix, texture and current normal of the last creature, drawn or not.
  if (skippedLast != nullptr)
    MeshLeavePlaced(camera, skippedLast->Matrix, skippedLast->Texture != nullptr ? skippedLast->Texture->ID : 0,
                    skippedModel, skippedFrame);
  glDisable(GL_CULL_FACE);
}

bool CreaturePick(int32_t index, const TGmMesh* model) {
  if (index < 0 || static_cast<size_t>(index) >= g_creatures.Creatures.size()) return false;
  const TCreature& c = g_creatures.Creatures[static_cast<size_t>(index)];
  return PickActorModel(model, c.Frame, c.Matrix, c.TileX, c.TileY);
}

void LoadSelectRing() {
  g_creatures.SelectRing =
      LoadReportedTexture(DataPath("Data/Textures/", "select_ring.tga"), eng::WorldTextureFlags, {});
}

void DrawSelectRings() {
  const eng::TCamera3D& camera = GmCamera().Camera;
  uint8_t current = PlayerTable().CurrentPlayer;
  for (const TCreature& c : g_creatures.Creatures) {
    if (!c.Selected || !c.Alive || c.Owner != current) continue;
    eng::CameraLoadMatrix(camera);
    glTranslatef(c.DrawX, 0.05f, c.DrawZ);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, g_creatures.SelectRing != nullptr ? g_creatures.SelectRing->ID : 0);
    DrawPlane(1.0f, 1.0f);
    glDisable(GL_BLEND);
  }
}

void CreaturesReset() { g_creatures = TCreatureLists{}; }

}  // namespace game
