// Effects: particle emitters at a world position, trailing a bullet or following a creature.
// Effect kinds read from Data/Effects/*.cro; one particle per effect and tick; particles drawn as
// camera-facing squares, back to front.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/textures.h"

namespace game {

// One record type for effect kinds and effects; an effect is a copy of its kind.
struct TEffect {
  std::string Name;
  uint16_t ID = 0;
  eng::TTexture* Texture = nullptr;
  float PosX = 0.0f;
  float PosY = 0.0f;
  float PosZ = 0.0f;
  int32_t Lifetime = 0;        // ticks of emission left
  float OffsetY = 0.0f;
  float Scale = 0.0f;          // particle half-size
  float Alpha = 0.0f;
  float AlphaChange = 0.0f;
  float PosRnd = 0.0f;
  std::array<float, 3> Speed{};
  std::array<float, 3> SpeedChange{};
  bool CantMove = false;
};

struct TParticle {
  eng::TTexture* Texture = nullptr;
  float PosX = 0.0f;
  float PosY = 0.0f;
  float PosZ = 0.0f;
  float Scale = 0.0f;
  float CameraDistance = 0.0f;
  float Alpha = 0.0f;
  float AlphaChange = 0.0f;
  float VelX = 0.0f, VelY = 0.0f, VelZ = 0.0f;
  float AccX = 0.0f, AccY = 0.0f, AccZ = 0.0f;
  uint16_t EffectID = 0;       // the emitter while it lives, so that a landing bullet takes its trail
  uint64_t Serial = 0;         // emission order: the oldest go first when the list is full
};

// Particles that never fade would grow the list (and its per-frame sort) without end: beyond this
// many, the oldest are dropped.
constexpr size_t MaxParticles = 10000;

struct TEffectLists {
  std::vector<TEffect> EffectKinds;  // one per definition file, in load order
  std::vector<TEffect> Effects;      // living emitters
  std::vector<TParticle> Particles;  // of every effect
  uint64_t NextSerial = 1;
};

TEffectLists& EffectLists();

// Reads one effect kind file into EffectKinds (the registry's loader for Data/Effects/).
void LoadEffectKind(const std::string& fileName);
// Starts an effect of the named kind at (x, y, z); its ID, or 0 when no kind has the name.
uint16_t CreateEffect(const std::string& kindName, float x, float y, float z);
// Index of the effect with this ID, or -1.
int32_t FindEffect(uint16_t id);
// Moves the emitter unless it is CantMove; unknown IDs do nothing.
void MoveEffect(uint16_t id, float x, float y, float z);
// Removes the effect at once and clears every creature's and bullet's EffectID equal to it; its
// particles stay until they fade.
void RemoveEffect(uint16_t id);
// RemoveEffect, and every particle the effect emitted goes with it (a landing bullet's trail).
void RemoveEffectWithParticles(uint16_t id);
// One tick: each effect emits one particle (and ends when its Lifetime runs out), then every
// particle moves and fades; faded particles leave, and so do the oldest beyond MaxParticles.
void UpdateEffects();
// Reorders the particles by decreasing CameraDistance exactly as the exchange sort does (for i <
// j, particles i and j swap when i is nearer), whatever the ties; faster when it can be.
void SortParticlesBackToFront(std::vector<TParticle>& particles);
// Draws every particle back to front as a camera-facing square with its alpha (depth writes are
// off); the list stays in that order.
void DrawEffects();

// Back to the state at process start (tests).
void EffectsReset();

}  // namespace game
