// Flat primitives and textured sprites in the 2D mode (origin top left, Y down, window pixels).
// Colours are 24-bit with red in the low byte, plus a separate alpha byte.
#pragma once

#include <array>
#include <cstdint>

#include "engine/textures.h"

namespace eng {

// Rect_Draw flags.
constexpr uint32_t RectFill = 1;
constexpr uint32_t RectCornerColours = 8;
// Line_Draw flags.
constexpr uint32_t LineSmooth = 2;
constexpr uint32_t LineEndColours = 8;
// Sprite_Draw flags.
constexpr uint32_t SpriteMirrorX = 1;
constexpr uint32_t SpriteMirrorY = 2;
constexpr uint32_t SpriteMixColour = 4;
constexpr uint32_t SpriteCornerColours = 8;
constexpr uint32_t SpriteCornerOffsets = 16;
constexpr uint32_t SpriteScale = 32;
constexpr uint32_t SpriteBlend = 64;

// The drawing state that optional flags use, and the 2D camera; the game keeps the defaults.
struct Draw2DState {
  float CameraX = 0.0f;
  float CameraY = 0.0f;
  float CameraAngle = 0.0f;
  float ZoomX = 1.0f;
  float ZoomY = 1.0f;
  float CorrectionX = 1.0f;  // resolution correction (off: 1.0)
  float CorrectionY = 1.0f;
  uint8_t MixR = 255, MixG = 255, MixB = 255;
  std::array<uint32_t, 4> CornerColours{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};  // RGBA, R low
  std::array<float, 8> CornerOffsets{};  // x, y of top-left, top-right, bottom-right, bottom-left
  float SpriteScaleX = 1.0f;
  float SpriteScaleY = 1.0f;
};
Draw2DState& Draw2D();

// A filled quad (flag 1) or a one-pixel outline through the edge pixels' centres.
void Rect_Draw(float x, float y, float w, float h, uint32_t colour, uint8_t alpha, uint32_t flags);
// A segment whose ends are moved half a pixel inwards onto pixel centres.
void Line_Draw(float x1, float y1, float x2, float y2, uint32_t colour, uint8_t alpha, uint32_t flags);
// A textured quad; skipped when wholly outside the view (feature 0x2000). Angle in degrees,
// clockwise on screen.
void Sprite_Draw(const TTexture* texture, float x, float y, float w, float h, float angle,
                 uint8_t alpha, uint32_t flags);
// Whether a sprite rectangle lies wholly outside the visible area of the 2D camera.
bool SpriteOutsideView(float x, float y, float w, float h, float angle);

// Back to the defaults (tests).
void Draw2DReset();

}  // namespace eng
