// The GUI's section of the state dump: the flags, the open windows as they will be drawn next,
// the drag, and the events and messages so far.
#include <string>

#include "engine/font.h"
#include "engine/screen.h"
#include "game/core/state_dump.h"
#include "game/gui/gui.h"
#include "game/gui/gui_items.h"
#include "game/world/defs.h"

namespace game {

namespace {

void WriteWindow(TStateDumpWriter& w, const std::string& key, TGmWindow window, const TGuiState& g) {
  // A window opened during this tick has not been laid out yet; the dump shows where the next
  // frame puts it, so positions do not depend on how many frames were drawn. The dump at the end
  // of the run comes after the engine has freed its fonts: the last frame's positions stand then.
  if (eng::FontCount() > 0) {
    const eng::ScreenState& screen = eng::Screen();
    GuiLayoutWindow(window, screen.RenderWidth, screen.RenderHeight, g.Font);
  }
  w.Text(key + "Name", window.Name);
  w.Int(key + "ScreenX", window.ScreenX);
  w.Int(key + "ScreenY", window.ScreenY);
  w.Int(key + "W", window.W);
  w.Int(key + "H", window.H);
  w.Bool(key + "Modal", window.Modal);
  w.Int(key + "buttons", static_cast<int64_t>(window.Buttons.size()));
  for (size_t i = 0; i < window.Buttons.size(); ++i) {
    const TGmButton& b = window.Buttons[i];
    const std::string k = key + "button." + std::to_string(i) + ".";
    w.Text(k + "Name", b.Name);
    w.Text(k + "Caption", b.Caption);
    w.Int(k + "ScreenX", b.ScreenX);
    w.Int(k + "ScreenY", b.ScreenY);
    w.Int(k + "W", b.W);
    w.Int(k + "H", b.H);
  }
  w.Int(key + "labels", static_cast<int64_t>(window.Labels.size()));
  for (size_t i = 0; i < window.Labels.size(); ++i) {
    const TGmLabel& l = window.Labels[i];
    const std::string k = key + "label." + std::to_string(i) + ".";
    w.Text(k + "Name", l.Name);
    w.Text(k + "Caption", l.Caption);
    w.Int(k + "ScreenX", l.ScreenX);
    w.Int(k + "ScreenY", l.ScreenY);
  }
  w.Int(key + "slots", static_cast<int64_t>(window.ItemSlots.size()));
  for (size_t i = 0; i < window.ItemSlots.size(); ++i) {
    const TGmItemSlot& s = window.ItemSlots[i];
    const std::string k = key + "slot." + std::to_string(i) + ".";
    w.Text(k + "Name", s.Name);
    w.Int(k + "ScreenX", s.ScreenX);
    w.Int(k + "ScreenY", s.ScreenY);
    w.Int(k + "OwnerID", s.OwnerID);
    const int32_t owner = GuiSlotOwner(s);
    w.Int(k + "Owner", owner);
    // What the slot shows: the entry, and its count less a unit away on the mouse.
    TGuiItemView entry;
    if (owner >= 0 && GuiItemAt(owner, static_cast<int32_t>(i), &entry)) {
      if (g.Drag.Creature == owner && SameName(g.Drag.Item, entry.Name)) --entry.Count;
      if (entry.Count == 0) entry.Name.clear();
    }
    w.Text(k + "Item", entry.Name);
    w.Int(k + "Count", entry.Count);
  }
}

void WriteGuiSection(TStateDumpWriter& w) {
  const TGuiState& g = GuiState();
  w.Bool("GameFrozen", g.Flags.GameFrozen);
  w.Bool("ModalOpen", g.Flags.ModalOpen);
  w.Bool("MouseOverGui", g.Flags.MouseOverGui);
  w.Int("windows", static_cast<int64_t>(g.Open.size()));
  for (size_t i = 0; i < g.Open.size(); ++i) WriteWindow(w, "window." + std::to_string(i) + ".", g.Open[i], g);
  w.Int("drag.Creature", g.Drag.Creature);
  w.Text("drag.Item", g.Drag.Item);
  w.Int("events", static_cast<int64_t>(g.Events.size()));
  for (size_t i = 0; i < g.Events.size(); ++i) w.Text("event." + std::to_string(i), g.Events[i]);
  w.Int("messages", static_cast<int64_t>(g.Messages.size()));
  for (size_t i = 0; i < g.Messages.size(); ++i) w.Text("message." + std::to_string(i), g.Messages[i]);
}

}  // namespace

void GuiAddStateDumpSection() { StateDumpAddSection("gui", WriteGuiSection); }

}  // namespace game
