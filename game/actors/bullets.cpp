// Bullets before their flight exists: kinds are not read and nothing is created.
#include "game/actors/bullets.h"

namespace game {

namespace {
TBulletLists g_bullets;
}  // namespace

TBulletLists& BulletLists() { return g_bullets; }
void LoadBulletKind(const std::string&) {}
bool CreateBullet(const std::string&, int32_t, int32_t, int32_t, int32_t) { return false; }
void UpdateBullets() {}
void DrawBullets() {}
void BulletsReset() { g_bullets = TBulletLists{}; }

}  // namespace game
