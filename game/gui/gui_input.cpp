// The GUI's input pass, once per game tick before the game reacts to the mouse: the flags that keep
// the mouse from the world, hover and press, the release that runs a click script, dragging an
// item out of a slot and dropping it on a creature.
#include <cstdlib>
#include <string>

#include "engine/mouse.h"
#include "game/actors/creatures.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/gui/gui_items.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"

namespace game {

namespace {

constexpr int32_t kSlotSize = 64;

// Strictly inside: the border pixels belong to nobody.
bool Inside(int64_t left, int64_t top, int64_t width, int64_t height) {
  const int64_t mx = eng::MouseX(), my = eng::MouseY();
  return mx > left && my > top && mx < left + width && my < top + height;
}

TGmWindow* WindowBySerial(TGuiState& g, uint32_t serial) {
  for (TGmWindow& w : g.Open)
    if (w.Serial == serial) return &w;
  return nullptr;
}

void LetGoOfButton(TGuiState& g) {
  g.PressedWindow = 0;
  g.PressedButton = -1;
}

// Steps through the open windows from the top: the first window, button or slot under the mouse
// takes it; a modal window on top takes it from everything below.
void ScanWindows(TGuiState& g, bool aiTurn) {
  const bool click = eng::MouseClick(0);
  for (size_t i = g.Open.size(); i-- > 0;) {
    TGmWindow& w = g.Open[i];
    if (aiTurn && !w.ActiveOnAITurn) continue;
    if (!w.Transparent && Inside(w.ScreenX, w.ScreenY, w.W, w.H)) g.Flags.MouseOverGui = true;
    if (i + 1 == g.Open.size() && w.Modal && !g.Flags.MouseOverGui) return;
    for (size_t b = w.Buttons.size(); b-- > 0;) {
      TGmButton& button = w.Buttons[b];
      if (!Inside(button.ScreenX, button.ScreenY, button.W, button.H)) continue;
      button.Hover = true;
      g.Flags.MouseOverGui = true;
      if (click) {
        g.PressedWindow = w.Serial;
        g.PressedButton = static_cast<int32_t>(b);
      }
      break;
    }
    for (size_t k = w.ItemSlots.size(); k-- > 0;) {
      const TGmItemSlot& slot = w.ItemSlots[k];
      if (!Inside(slot.ScreenX, slot.ScreenY, kSlotSize, kSlotSize)) continue;
      g.Flags.MouseOverGui = true;
      TGuiItemView entry;
      int32_t owner = GuiSlotOwner(slot);
      if (click && owner >= 0 && GuiItemAt(owner, static_cast<int32_t>(k), &entry)) g.Drag = {owner, entry.Name};
      break;
    }
    if (g.Flags.MouseOverGui) return;
  }
}

// The pressed button shows pressed while held over it; a release over it clicks it.
void ReleaseButton(TGuiState& g) {
  TGmWindow* window = WindowBySerial(g, g.PressedWindow);
  if (!window || g.PressedButton < 0 || static_cast<size_t>(g.PressedButton) >= window->Buttons.size()) {
    LetGoOfButton(g);
    return;
  }
  TGmButton& button = window->Buttons[static_cast<size_t>(g.PressedButton)];
  if (eng::MouseDown(0) && button.Hover) button.Pressed = true;
  if (!eng::MouseUp(0)) return;
  if (!button.Hover) {
    LetGoOfButton(g);
    return;
  }
  // Copied before anything runs: resumed and clicked scripts may open and close windows,
  // this one included.
  const bool ok = button.Name == MessageOKName;
  const std::string script = button.ClickScript;
  const TScriptOrigin origin = ScriptOriginOf(
      "click script of button \"" + button.Name + "\" in window \"" + window->Name + "\"", button.ClickScriptLines);
  LetGoOfButton(g);
  if (ok) GameMessageOK();
  if (!script.empty()) Script_RunSource(script, origin);
}

// A drag ends with the release: over the GUI it is cancelled; on the owner's own tile the item is
// used (if it can be); on a creature next to the owner, diagonals included, one unit goes to it.
void DropItem(TGuiState& g) {
  const TGuiDrag drag = g.Drag;
  g.Drag = TGuiDrag{};
  if (g.Flags.MouseOverGui) return;
  const std::vector<TCreature>& creatures = CreatureLists().Creatures;
  if (drag.Creature < 0 || static_cast<size_t>(drag.Creature) >= creatures.size()) return;
  const TGameCore& core = Core();
  for (size_t i = 0; i < creatures.size(); ++i) {
    const TCreature& c = creatures[i];
    if (!c.Alive || c.TileX != core.CursorTileX || c.TileY != core.CursorTileY) continue;
    const TCreature& owner = creatures[static_cast<size_t>(drag.Creature)];
    TGuiItemView entry;
    if (static_cast<int32_t>(i) == drag.Creature) {
      if (GuiItemNamed(drag.Creature, drag.Item, &entry) && entry.Usable) GuiUseItem(drag.Creature, drag.Item);
    } else if (std::abs(int64_t{c.TileX} - owner.TileX) <= 1 && std::abs(int64_t{c.TileY} - owner.TileY) <= 1) {
      GuiGiveItem(drag.Creature, static_cast<int32_t>(i), drag.Item);
    }
    return;
  }
}

}  // namespace

int32_t GuiSlotOwner(const TGmItemSlot& slot) {
  if (slot.OwnerID != 0) return FindCreature(slot.OwnerID);
  const TPlayersState& players = PlayerTable();
  const TPlayer* player = PlayerOf(players.CurrentPlayer);
  if (!player) return -1;
  int32_t selected = player->SelectedCreature;
  return selected >= 0 && static_cast<size_t>(selected) < CreatureLists().Creatures.size() ? selected : -1;
}

void GUI_Update() {
  TGuiState& g = GuiState();
  const bool aiTurn = !CurrentPlayerHuman();
  g.Flags.MouseOverGui = false;
  g.Flags.ModalOpen = false;
  for (TGmWindow& w : g.Open) {
    if (w.Modal) g.Flags.ModalOpen = true;
    for (TGmButton& b : w.Buttons) b.Hover = b.Pressed = false;
  }
  ScanWindows(g, aiTurn);
  if (g.PressedWindow != 0) ReleaseButton(g);
  if (g.Drag.Creature >= 0 && eng::MouseUp(0)) DropItem(g);

  // Windows that follow the selection go when the human player has none.
  const TPlayer* player = PlayerOf(PlayerTable().CurrentPlayer);
  if (!aiTurn && player && player->SelectedCreature == -1)
    for (TGmWindow& w : g.Open)
      if (w.CreateEvent == "SelCr") w.Closed = true;
  GuiRemoveClosedWindows();
}

}  // namespace game
