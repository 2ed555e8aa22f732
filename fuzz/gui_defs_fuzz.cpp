// Fuzz target: GUI definition text through the GUI's reader, then the layout of every window read
// on a few screen sizes. Checks that every widget line became a widget of some window and that a
// failed number names this file and a line inside it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "game/core/fatal.h"
#include "game/gui/gui.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TCounts {
  size_t Windows = 0, Buttons = 0, Labels = 0, Slots = 0, Lines = 0;
};

// Widget lines counted independently of the reader, with the same line rules (LF or CR LF, a
// byte 26 ends the text).
TCounts CountWidgetLines(std::string_view text) {
  TCounts counts;
  size_t eof = text.find('\x1A');
  if (eof != std::string_view::npos) text = text.substr(0, eof);
  for (size_t pos = 0; pos < text.size();) {
    size_t lf = text.find('\n', pos);
    std::string_view line = text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = lf == std::string_view::npos ? text.size() : lf + 1;
    ++counts.Lines;
    std::string key = game::UpperAscii(game::GetKey(line));
    counts.Windows += key == "WINDOW";
    counts.Buttons += key == "BUTTON";
    counts.Labels += key == "LABEL";
    counts.Slots += key == "ITEMSLOT";
  }
  return counts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  game::DiagnosticsReset();
  std::vector<game::TGmWindow> definitions{game::MessageWindowDefinition()};
  try {
    game::GuiReadDefinitions(text, "fuzz.cro", definitions, nullptr);
  } catch (const game::FatalError& e) {
    Check(e.file() == "fuzz.cro" && e.line() >= 1 && static_cast<size_t>(e.line()) <= CountWidgetLines(text).Lines);
    game::DiagnosticsReset();
    return 0;
  }
  TCounts want = CountWidgetLines(text);
  TCounts got;
  for (const game::TGmWindow& w : definitions) {
    got.Buttons += w.Buttons.size();
    got.Labels += w.Labels.size();
    got.Slots += w.ItemSlots.size();
  }
  Check(definitions.size() == 1 + want.Windows);
  Check(definitions[0].Name == game::MessageWindowName && definitions[0].Buttons[0].Name == game::MessageOKName);
  Check(got.Buttons == 1 + want.Buttons && got.Labels == 1 + want.Labels && got.Slots == want.Slots);
  for (game::TGmWindow& w : definitions) {
    Check(w.CreateScript.empty() || w.CreateScript.back() == ' ');
    game::GuiLayoutWindow(w, 800, 600, nullptr);
    game::GuiLayoutWindow(w, 1280, 1024, nullptr);
  }
  // What the run allocated is freed within it; otherwise every run looks like a leak to the
  // fuzzer, which then runs it a second time to find out.
  game::DiagnosticsReset();
  return 0;
}
