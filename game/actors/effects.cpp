// Effects before their emitters exist: kinds are not read and nothing is created.
#include "game/actors/effects.h"

namespace game {

namespace {
TEffectLists g_effects;
}  // namespace

TEffectLists& EffectLists() { return g_effects; }
void LoadEffectKind(const std::string&) {}
uint16_t CreateEffect(const std::string&, float, float, float) { return 0; }
int32_t FindEffect(uint16_t) { return -1; }
void MoveEffect(uint16_t, float, float, float) {}
void RemoveEffect(uint16_t) {}
void UpdateEffects() {}
void DrawEffects() {}
void EffectsReset() { g_effects = TEffectLists{}; }

}  // namespace game
