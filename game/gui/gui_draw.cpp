// Drawing the GUI over the 3D view: windows with their buttons, labels and item slots, the dragged
// item, the frame-rate text and the cursor.
#include <cmath>
#include <string>

#include "engine/draw2d.h"
#include "engine/font.h"
#include "engine/main.h"
#include "engine/mouse.h"
#include "engine/screen.h"
#include "game/actors/creatures.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/gui/gui_items.h"
#include "game/world/defs.h"

namespace game {

namespace {

constexpr int32_t kSlotSize = 64;
constexpr uint8_t kAITurnAlpha = 170;  // buttons of windows that do not take input in the AI's turn

constexpr uint32_t Grey(uint32_t level) { return level | level << 8 | level << 16; }

float F(int64_t v) { return static_cast<float>(v); }

void DrawButton(const TGmButton& b, uint8_t alpha, const eng::engTFont* font) {
  const float x = F(b.ScreenX), y = F(b.ScreenY), w = F(b.W), h = F(b.H);
  if (!b.Texture) {
    eng::Rect_Draw(x, y, w, h, Grey(b.Hover && !b.Pressed ? 204 : 187), 255, eng::RectFill);
    eng::Rect_Draw(x, y, w, h, Grey(68), 255, 0);
    // A bevel: light on the top and left edges, dark on the bottom and right; a pressed button
    // swaps them and so looks sunk in.
    uint32_t light = Grey(b.Pressed ? 119 : 255), dark = Grey(b.Pressed ? 255 : 119);
    eng::Line_Draw(x + 1, y + 1, x + w - 1, y + 1, light, 255, 0);
    eng::Line_Draw(x + 1, y + 1, x + 1, y + h - 1, light, 255, 0);
    eng::Line_Draw(x + 1, y + h - 2, x + w - 1, y + h - 2, dark, 255, 0);
    eng::Line_Draw(x + w - 2, y + 1, x + w - 2, y + h - 1, dark, 255, 0);
  } else {
    const float k = b.Pressed ? 0.92f : 1.0f;
    const float tw = F(b.Texture->Width) * k, th = F(b.Texture->Height) * k;
    const float tx = std::nearbyint(x + (w - tw) / 2.0f), ty = std::nearbyint(y + (h - th) / 2.0f);
    eng::Sprite_Draw(b.Texture, tx, ty, tw, th, 0.0f, alpha, eng::SpriteBlend);
    if (b.Hover) eng::Sprite_Draw(b.Texture, tx, ty, tw, th, 0.0f, alpha, eng::SpriteBlend);
  }
  if (!b.Caption.empty()) {
    const int64_t shift = b.Pressed ? 1 : 0;
    eng::Text_DrawStyled(font, F(int64_t{b.ScreenX} + b.W / 2 + shift), F(int64_t{b.ScreenY} + b.H / 2 + shift),
                         1.0f, 0.0f, b.Caption, alpha, Grey(51), eng::TextCentreX | eng::TextCentreY);
  }
}

void DrawItemSlot(const TGmItemSlot& slot, int32_t k, const TGuiState& g) {
  const float x = F(slot.ScreenX), y = F(slot.ScreenY);
  eng::Rect_Draw(x, y, kSlotSize, kSlotSize, Grey(187), 255, eng::RectFill);
  eng::Rect_Draw(x, y, kSlotSize, kSlotSize, Grey(68), 255, 0);
  int32_t owner = GuiSlotOwner(slot);
  TGuiItemView entry;
  if (owner < 0 || !GuiItemAt(owner, k, &entry)) return;
  const bool dragged = g.Drag.Creature == owner && SameName(g.Drag.Item, entry.Name);
  // The slot looks empty while its last unit is away on the mouse.
  if (dragged && entry.Count == 1) return;
  eng::Sprite_Draw(entry.Texture, x, y, kSlotSize, kSlotSize, 0.0f, 255, eng::SpriteBlend);
  const int64_t shown = int64_t{entry.Count} - (dragged ? 1 : 0);
  if (shown > 1)
    eng::Text_DrawStyled(g.Font, F(int64_t{slot.ScreenX} + 59), F(int64_t{slot.ScreenY} + 49), 1.0f, 0.0f,
                         std::to_string(shown), 255, Grey(0), eng::TextRight);
}

}  // namespace

void GUI_Draw() {
  TGuiState& g = GuiState();
  const bool aiTurn = !CurrentPlayerHuman();
  const eng::ScreenState& screen = eng::Screen();
  for (size_t i = 0; i < g.Open.size(); ++i) {
    TGmWindow& w = g.Open[i];
    if (aiTurn && !w.AlwaysShow) continue;
    GuiLayoutWindow(w, screen.RenderWidth, screen.RenderHeight, g.Font);
    if (!w.Transparent) {
      eng::Rect_Draw(F(w.ScreenX), F(w.ScreenY), F(w.W), F(w.H), Grey(221), 255, eng::RectFill);
      eng::Rect_Draw(F(w.ScreenX), F(w.ScreenY), F(w.W), F(w.H), Grey(34), 255, 0);
    }
    const uint8_t alpha = aiTurn && !w.ActiveOnAITurn ? kAITurnAlpha : 255;
    for (const TGmButton& b : w.Buttons) DrawButton(b, alpha, g.Font);
    for (const TGmLabel& l : w.Labels)
      eng::Text_DrawStyled(g.Font, F(l.ScreenX), F(l.ScreenY), 1.0f, 0.0f, l.Caption, 255, Grey(51), 0);
    for (size_t k = 0; k < w.ItemSlots.size(); ++k) DrawItemSlot(w.ItemSlots[k], static_cast<int32_t>(k), g);
  }
  const float mx = F(eng::MouseX()), my = F(eng::MouseY());
  TGuiItemView dragged;
  if (g.Drag.Creature >= 0 && GuiItemNamed(g.Drag.Creature, g.Drag.Item, &dragged))
    eng::Sprite_Draw(dragged.Texture, mx - 32, my - 32, kSlotSize, kSlotSize, 0.0f, 255, eng::SpriteBlend);
  Core().ShownFPS = static_cast<int32_t>(eng::GetSystemValue(1));
  eng::Text_Draw(g.Font, 10, 2, "FPS: " + std::to_string(Core().ShownFPS), 0);
  eng::Sprite_Draw(g.Cursor, mx - 4, my - 4, 32, 32, 0.0f, 255, eng::SpriteBlend);
}

}  // namespace game
