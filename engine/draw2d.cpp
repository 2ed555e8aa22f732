// 2D primitives and sprites.
#include "engine/draw2d.h"

#include <GL/gl.h>

#include <cmath>

#include "engine/main.h"
#include "engine/screen.h"

namespace eng {

namespace {

constexpr float kDegToRad = 3.14159265358979f / 180.0f;

Draw2DState g_draw2d;

void Colour(uint32_t colour, uint8_t alpha) {
  glColor4ub(static_cast<GLubyte>(colour & 0xFF), static_cast<GLubyte>((colour >> 8) & 0xFF),
             static_cast<GLubyte>((colour >> 16) & 0xFF), alpha);
}

void CornerColour(size_t corner) {
  uint32_t c = g_draw2d.CornerColours[corner];
  glColor4ub(static_cast<GLubyte>(c & 0xFF), static_cast<GLubyte>((c >> 8) & 0xFF),
             static_cast<GLubyte>((c >> 16) & 0xFF), static_cast<GLubyte>(c >> 24));
}

// Moves a segment's two coordinates half a pixel inwards (both + 0.5 when equal).
void Inwards(float* a, float* b) {
  if (*a < *b) {
    *a += 0.5f;
    *b -= 0.5f;
  } else if (*a > *b) {
    *a -= 0.5f;
    *b += 0.5f;
  } else {
    *a += 0.5f;
    *b += 0.5f;
  }
}

}  // namespace

Draw2DState& Draw2D() { return g_draw2d; }

void Rect_Draw(float x, float y, float w, float h, uint32_t colour, uint8_t alpha, uint32_t flags) {
  Colour(colour, alpha);
  glEnable(GL_BLEND);
  const bool corners = flags & RectCornerColours;
  if (flags & RectFill) {
    const float px[4] = {x, x + w, x + w, x};
    const float py[4] = {y, y, y + h, y + h};
    glBegin(GL_QUADS);
    for (size_t i = 0; i < 4; ++i) {
      if (corners) CornerColour(i);
      glVertex2f(px[i], py[i]);
    }
    glEnd();
  } else {
    const float px[4] = {x + 0.5f, x + w - 0.5f, x + w - 0.5f, x + 0.5f};
    const float py[4] = {y + 0.5f, y + 0.5f, y + h - 0.5f, y + h - 0.5f};
    glBegin(GL_LINES);
    for (size_t i = 0; i < 4; ++i) {
      size_t j = (i + 1) % 4;
      if (corners) CornerColour(i);
      glVertex2f(px[i], py[i]);
      if (corners) CornerColour(j);
      glVertex2f(px[j], py[j]);
    }
    glEnd();
  }
  glDisable(GL_BLEND);
}

void Line_Draw(float x1, float y1, float x2, float y2, uint32_t colour, uint8_t alpha, uint32_t flags) {
  Inwards(&x1, &x2);
  Inwards(&y1, &y2);
  Colour(colour, alpha);
  const bool smooth = flags & LineSmooth;
  if (smooth) glEnable(GL_LINE_SMOOTH);
  glEnable(GL_BLEND);
  glBegin(GL_LINES);
  if (flags & LineEndColours) CornerColour(0);
  glVertex2f(x1, y1);
  if (flags & LineEndColours) CornerColour(1);
  glVertex2f(x2, y2);
  glEnd();
  glDisable(GL_BLEND);
  if (smooth) glDisable(GL_LINE_SMOOTH);
}

bool SpriteOutsideView(float x, float y, float w, float h, float angle) {
  const ScreenState& s = Screen();
  const Draw2DState& d = g_draw2d;
  // The viewport is the whole rendering area (set by the 2D mode).
  const float vx = 0.0f, vy = 0.0f;
  const float vw = static_cast<float>(s.RenderWidth), vh = static_cast<float>(s.RenderHeight);
  float left = vx + d.CameraX;
  float right = vw / d.CorrectionX + d.CameraX;
  float top = vy + d.CameraY;
  float bottom = vh / d.CorrectionY + d.CameraY;
  if (d.ZoomX == 1.0f && d.ZoomY == 1.0f) {
    if (angle != 0.0f) {
      left -= h / 2;
      right += h / 2;
      top -= w / 2;
      bottom += w / 2;
    }
    return x + w < left || right < x || y + h < top || bottom < y;
  }
  float cx = left + vw / d.CorrectionX / 2, cy = top + vh / d.CorrectionY / 2;
  float sx = (x + w / 2) * d.ZoomX, sy = (y + h / 2) * d.ZoomY;
  float distance = std::hypot(cx - sx, cy - sy);
  return !(distance < (w * d.ZoomX + h * d.ZoomY) / 2 + (vw + vh) / 2);
}

void Sprite_Draw(const TTexture* texture, float x, float y, float w, float h, float angle,
                 uint8_t alpha, uint32_t flags) {
  if (!texture) return;
  const Draw2DState& d = g_draw2d;
  if (flags & SpriteScale) {
    x += (w - w * d.SpriteScaleX) / 2;
    y += (h - h * d.SpriteScaleY) / 2;
    w *= d.SpriteScaleX;
    h *= d.SpriteScaleY;
  }
  if (FeatureEnabled(FeatureSpriteCulling) && SpriteOutsideView(x, y, w, h, angle)) return;

  const float u = texture->U, v = texture->V;
  const float mu = (flags & SpriteMirrorX) ? u : 0.0f;
  const float mv = (flags & SpriteMirrorY) ? v : 0.0f;

  float px[4] = {x, x + w, x + w, x};
  float py[4] = {y, y, y + h, y + h};
  if (flags & SpriteCornerOffsets) {
    for (size_t i = 0; i < 4; ++i) {
      px[i] += d.CornerOffsets[2 * i];
      py[i] += d.CornerOffsets[2 * i + 1];
    }
  }
  if (angle != 0.0f) {
    const float cx = x + w / 2, cy = y + h / 2;
    const float c = std::cos(angle * kDegToRad), s = std::sin(angle * kDegToRad);
    for (size_t i = 0; i < 4; ++i) {
      float rx = px[i] - cx, ry = py[i] - cy;
      px[i] = cx + rx * c - ry * s;
      py[i] = cy + rx * s + ry * c;
    }
  }

  if (flags & SpriteMixColour)
    glColor4ub(d.MixR, d.MixG, d.MixB, alpha);
  else
    glColor4ub(255, 255, 255, alpha);
  if (flags & SpriteBlend)
    glEnable(GL_BLEND);
  else
    glEnable(GL_ALPHA_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture->ID);

  const float tu[4] = {mu, u - mu, u - mu, mu};
  const float tv[4] = {v - mv, v - mv, mv, mv};
  const bool corners = flags & SpriteCornerColours;
  glBegin(GL_QUADS);
  for (size_t i = 0; i < 4; ++i) {
    if (corners) CornerColour(i);
    glTexCoord2f(tu[i], tv[i]);
    glVertex2f(px[i], py[i]);
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
}

void Draw2DReset() { g_draw2d = Draw2DState{}; }

}  // namespace eng
