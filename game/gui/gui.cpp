// The GUI's windows: loading the definitions, opening and closing windows, the script library's
// setters, the layout and the message box. Drawing and input are in gui_draw.cpp and
// gui_input.cpp.
#include "game/gui/gui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/log.h"
#include "game/core/game_core.h"
#include "game/gui/gui_items.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"

namespace game {

namespace {

constexpr const char* kGuiFolder = "Data/GUI/";
constexpr int32_t kVirtualWidth = 800;
constexpr int32_t kVirtualHeight = 600;
constexpr int32_t kMessageMargin = 40;  // the box is at least this much wider than its text

enum class TWidgetKind { None, Window, Button, Label, ItemSlot };

TGuiState g_gui;

const std::vector<TDefKey<TGmWindow>>& WindowKeys() {
  static const std::vector<TDefKey<TGmWindow>> keys = {
      DefField("CREATEEVENT", &TGmWindow::CreateEvent), DefField("MODAL", &TGmWindow::Modal),
      DefField("X", &TGmWindow::X), DefField("Y", &TGmWindow::Y), DefField("W", &TGmWindow::W),
      DefField("H", &TGmWindow::H), DefField("ALIGNX", &TGmWindow::AlignX),
      DefField("ALIGNY", &TGmWindow::AlignY), DefField("TRANSPARENT", &TGmWindow::Transparent),
      DefField("ALWAYSSHOW", &TGmWindow::AlwaysShow)};
  return keys;
}

// TEXTURE is handled by the reader itself: it needs the caller's texture loader.
const std::vector<TDefKey<TGmButton>>& ButtonKeys() {
  static const std::vector<TDefKey<TGmButton>> keys = {
      DefField("CAPTION", &TGmButton::Caption), DefField("X", &TGmButton::X),
      DefField("Y", &TGmButton::Y), DefField("W", &TGmButton::W), DefField("H", &TGmButton::H),
      DefField("ALIGNX", &TGmButton::AlignX), DefField("ALIGNY", &TGmButton::AlignY)};
  return keys;
}

const std::vector<TDefKey<TGmLabel>>& LabelKeys() {
  static const std::vector<TDefKey<TGmLabel>> keys = {
      DefField("CAPTION", &TGmLabel::Caption), DefField("X", &TGmLabel::X),
      DefField("Y", &TGmLabel::Y), DefField("ALIGNX", &TGmLabel::AlignX),
      DefField("ALIGNY", &TGmLabel::AlignY)};
  return keys;
}

const std::vector<TDefKey<TGmItemSlot>>& ItemSlotKeys() {
  static const std::vector<TDefKey<TGmItemSlot>> keys = {DefField("X", &TGmItemSlot::X),
                                                         DefField("Y", &TGmItemSlot::Y)};
  return keys;
}

template <typename T>
void AssignKeys(const std::vector<TDefKey<T>>& keys, T& record, const TDefLine& line) {
  for (const TDefKey<T>& key : keys)
    if (key.Key == line.Key) key.Assign(record, line);
}

eng::TTexture* LoadGuiTexture(const std::string& path) {
  return eng::TextureLoadFromFile(path, eng::NoColourKey, eng::InterfaceTextureFlags);
}

// How far alignment moves a box of `size` from its designated point.
int64_t AlignShift(uint8_t align, int32_t size) {
  if (align == 1) return size / 2;
  if (align == 2) return size;
  return 0;
}

// Positions wrap like the 32-bit fields they are stored in, without overflowing on the way.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint64_t>(value)); }

int32_t RoundWidth(float width) { return static_cast<int32_t>(std::nearbyint(width)); }

TGmWindow* TopWindowNamed(const std::string& name) {
  for (size_t i = g_gui.Open.size(); i-- > 0;)
    if (SameName(g_gui.Open[i].Name, name)) return &g_gui.Open[i];
  return nullptr;
}

void ClearPressed() {
  g_gui.PressedWindow = 0;
  g_gui.PressedButton = -1;
}

}  // namespace

TGuiState& GuiState() { return g_gui; }
TGuiFlags& GuiFlags() { return g_gui.Flags; }

// ---- Loading -------------------------------------------------------------------------------

TGmWindow MessageWindowDefinition() {
  TGmWindow w;
  w.Name = MessageWindowName;
  w.X = 400;
  w.Y = 300;
  w.W = 200;
  w.H = 100;
  w.AlignX = 1;
  w.AlignY = 1;
  w.Modal = true;
  w.AlwaysShow = true;
  w.ActiveOnAITurn = true;
  TGmButton ok;
  ok.Name = MessageOKName;
  ok.Caption = "OK";
  ok.Y = 54;
  ok.W = 78;
  ok.H = 28;
  ok.AlignX = 1;
  w.Buttons.push_back(ok);
  TGmLabel text;
  text.Name = MessageTextName;
  text.Y = 24;
  text.AlignX = 1;
  w.Labels.push_back(text);
  return w;
}

void GuiReadDefinitions(std::string_view text, const std::string& file,
                        std::vector<TGmWindow>& definitions, TGuiTextureLoader loadTexture) {
  if (definitions.empty()) definitions.push_back(MessageWindowDefinition());
  // Every file starts on the message window with no widget kind: keys before the first widget
  // line set nothing, and widget lines before the first WINDOW line join the message window.
  size_t current = 0;
  TWidgetKind kind = TWidgetKind::None;
  bool sawWindow = false;
  int32_t scriptLineNo = 0;

  TDefHandler handler;
  handler.Tags = {{"[CLICKSCRIPT]", "[/CLICKSCRIPT]"}, {"[CREATESCRIPT]", "[/CREATESCRIPT]"}};
  // Widget lines count on every line, inside script blocks too.
  handler.Early = [&](const TDefLine& line) {
    if (line.Key == "WINDOW") {
      definitions.emplace_back();
      definitions.back().Name = line.Value;
      definitions.back().File = file;
      current = definitions.size() - 1;
      kind = TWidgetKind::Window;
      sawWindow = true;
      return;
    }
    TGmWindow& window = definitions[current];
    if (line.Key == "BUTTON") {
      window.Buttons.emplace_back().Name = line.Value;
      kind = TWidgetKind::Button;
    } else if (line.Key == "LABEL") {
      window.Labels.emplace_back().Name = line.Value;
      kind = TWidgetKind::Label;
    } else if (line.Key == "ITEMSLOT") {
      window.ItemSlots.emplace_back().Name = line.Value;
      kind = TWidgetKind::ItemSlot;
    } else {
      return;
    }
    if (!sawWindow)
      ReportProblem({file, line.Line, 0,
                     line.Key + " before the first WINDOW line: it joins the message window"});
  };
  handler.ScriptLine = [&](size_t, int32_t lineNo) { scriptLineNo = lineNo; };
  handler.Script = [&](size_t tag, std::string_view lineText) {
    TGmWindow& window = definitions[current];
    if (tag == 0 && kind == TWidgetKind::Button) {
      TGmButton& button = window.Buttons.back();
      MarkScriptLine(button.ClickScriptLines, button.ClickScript, file, scriptLineNo);
      button.ClickScript += lineText;
    } else if (tag == 1 && kind == TWidgetKind::Window) {
      MarkScriptLine(window.CreateScriptLines, window.CreateScript, file, scriptLineNo);
      window.CreateScript += lineText;
    }
  };
  handler.Entry = [&](const TDefLine& line) {
    TGmWindow& window = definitions[current];
    switch (kind) {
      case TWidgetKind::None:
        break;
      case TWidgetKind::Window:
        AssignKeys(WindowKeys(), window, line);
        break;
      case TWidgetKind::Button:
        AssignKeys(ButtonKeys(), window.Buttons.back(), line);
        // Each TEXTURE line loads anew; an earlier texture stays loaded, unreferenced.
        if (line.Key == "TEXTURE" && loadTexture) window.Buttons.back().Texture = loadTexture(line.FileName(kGuiFolder));
        break;
      case TWidgetKind::Label:
        AssignKeys(LabelKeys(), window.Labels.back(), line);
        break;
      case TWidgetKind::ItemSlot:
        AssignKeys(ItemSlotKeys(), window.ItemSlots.back(), line);
        break;
    }
  };
  ReadDefinitionText(text, file, handler);
}

void GuiLoadDefinitions(TGuiTextureLoader loadTexture) {
  g_gui.Definitions.assign(1, MessageWindowDefinition());
  for (const std::string& path : ListDefinitionFiles(Core().AppDir + kGuiFolder))
    GuiReadDefinitions(ReadWholeFile(path), path, g_gui.Definitions, loadTexture);
}

void GUI_Init() {
  std::string fontFile = DataPath(kGuiFolder, "font.tfi");
  g_gui.Font = eng::Font_Load(fontFile);
  if (!g_gui.Font) {
    ReportProblem({fontFile, 0, 0, "the GUI font cannot be read: no text will be shown"});
  } else {
    if (g_gui.Font->Pages.empty()) {
      // The game supplies page 0 itself, so a font that declares none can still show its
      // glyphs on page 0.
      ReportProblem({fontFile, 0, 0, "the GUI font declares no page; font.tga is used as page 0"});
      g_gui.Font->PageCount = 1;
      g_gui.Font->Pages.assign(1, nullptr);
    }
    g_gui.Font->Pages[0] = LoadGuiTexture(DataPath(kGuiFolder, "font.tga"));
  }
  g_gui.Cursor = LoadGuiTexture(DataPath(kGuiFolder, "cursor.tga"));
  GuiLoadDefinitions(LoadGuiTexture);
  GuiAddStateDumpSection();
}

// ---- Windows -------------------------------------------------------------------------------

void GuiRemoveClosedWindows() {
  std::vector<TGmWindow>& open = g_gui.Open;
  for (size_t i = 0; i < open.size();) {
    if (!open[i].Closed) {
      ++i;
      continue;
    }
    if (open[i].Serial == g_gui.PressedWindow) ClearPressed();
    open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void Window_Create(const std::string& name) {
  // A create script that opens its own window again, directly or through other windows, would
  // recurse without end.
  for (const std::string& running : g_gui.CreateScriptsRunning)
    if (SameName(running, name)) return;

  std::vector<TGmWindow>& open = g_gui.Open;
  size_t before = open.size();
  std::erase_if(open, [&](const TGmWindow& w) { return SameName(w.Name, name); });
  if (open.size() != before) ClearPressed();

  auto definition = std::find_if(g_gui.Definitions.begin(), g_gui.Definitions.end(),
                                 [&](const TGmWindow& w) { return SameName(w.Name, name); });
  if (definition != g_gui.Definitions.end()) {
    open.push_back(*definition);
    open.back().Serial = g_gui.NextSerial++;
    if (!definition->CreateScript.empty()) {
      // Copies: the script may open other windows and so move the open list.
      std::string script = definition->CreateScript;
      TScriptOrigin origin =
          ScriptOriginOf("create script of window \"" + definition->Name + "\"", definition->CreateScriptLines);
      g_gui.CreateScriptsRunning.push_back(definition->Name);
      Script_RunSource(script, origin);
      g_gui.CreateScriptsRunning.pop_back();
    }
  }
  GuiRemoveClosedWindows();
}

void Window_Close(const std::string& name) {
  for (TGmWindow& w : g_gui.Open)
    if (SameName(w.Name, name)) w.Closed = true;
}

void GUI_FireEvent(const std::string& event) {
  g_gui.Events.push_back(event);
  // Definitions never change after loading, but the name is copied all the same: Window_Create
  // runs scripts.
  for (size_t i = 0; i < g_gui.Definitions.size(); ++i)
    if (SameName(g_gui.Definitions[i].CreateEvent, event)) {
      std::string name = g_gui.Definitions[i].Name;
      Window_Create(name);
    }
}

void Window_SetSize(const std::string& window, int32_t width, int32_t height) {
  for (TGmWindow& w : g_gui.Open)
    if (SameName(w.Name, window)) {
      w.W = width;
      w.H = height;
    }
}

namespace {

template <typename T, typename F>
void ForEachWidget(const std::string& window, std::vector<T> TGmWindow::*widgets,
                   const std::string& name, F apply) {
  for (TGmWindow& w : g_gui.Open)
    if (SameName(w.Name, window))
      for (T& widget : w.*widgets)
        if (SameName(widget.Name, name)) apply(widget);
}

}  // namespace

void Button_SetCaption(const std::string& window, const std::string& button, const std::string& caption) {
  ForEachWidget(window, &TGmWindow::Buttons, button, [&](TGmButton& b) { b.Caption = caption; });
}

void Button_SetPos(const std::string& window, const std::string& button, int32_t x, int32_t y) {
  ForEachWidget(window, &TGmWindow::Buttons, button, [&](TGmButton& b) {
    b.X = x;
    b.Y = y;
  });
}

void Label_SetCaption(const std::string& window, const std::string& label, const std::string& caption) {
  ForEachWidget(window, &TGmWindow::Labels, label, [&](TGmLabel& l) { l.Caption = caption; });
}

void Label_SetPos(const std::string& window, const std::string& label, int32_t x, int32_t y) {
  ForEachWidget(window, &TGmWindow::Labels, label, [&](TGmLabel& l) {
    l.X = x;
    l.Y = y;
  });
}

int32_t Label_GetWidth(const std::string& window, const std::string& label) {
  for (const TGmWindow& w : g_gui.Open)
    if (SameName(w.Name, window))
      for (const TGmLabel& l : w.Labels)
        if (SameName(l.Name, label)) return RoundWidth(eng::Text_Width(g_gui.Font, l.Caption, 0.0f));
  return 0;
}

void ItemSlot_SetOwnerID(const std::string& window, const std::string& slot, uint16_t creatureID) {
  ForEachWidget(window, &TGmWindow::ItemSlots, slot, [&](TGmItemSlot& s) { s.OwnerID = creatureID; });
}

void GuiLayoutWindow(TGmWindow& window, int32_t screenWidth, int32_t screenHeight, const eng::engTFont* font) {
  int64_t x = static_cast<int64_t>(screenWidth) * window.X / kVirtualWidth - AlignShift(window.AlignX, window.W);
  int64_t y = static_cast<int64_t>(screenHeight) * window.Y / kVirtualHeight - AlignShift(window.AlignY, window.H);
  window.ScreenX = Wrap(x);
  window.ScreenY = Wrap(y);
  for (TGmButton& b : window.Buttons) {
    b.ScreenX = Wrap(int64_t{window.ScreenX} + b.X - AlignShift(b.AlignX, b.W));
    b.ScreenY = Wrap(int64_t{window.ScreenY} + b.Y - AlignShift(b.AlignY, b.H));
  }
  int32_t lineHeight = font ? font->LineHeight : 0;
  for (TGmLabel& l : window.Labels) {
    int64_t lx = int64_t{window.ScreenX} + l.X;
    int64_t ly = int64_t{window.ScreenY} + l.Y;
    if (l.AlignX == 1 || l.AlignX == 2) {
      float width = eng::Text_Width(font, l.Caption, 0.0f);
      lx -= RoundWidth(l.AlignX == 1 ? width / 2.0f : width);
    }
    ly -= AlignShift(l.AlignY, lineHeight);
    l.ScreenX = Wrap(lx);
    l.ScreenY = Wrap(ly);
  }
  for (TGmItemSlot& s : window.ItemSlots) {
    s.ScreenX = Wrap(int64_t{window.ScreenX} + s.X);
    s.ScreenY = Wrap(int64_t{window.ScreenY} + s.Y);
  }
}

// ---- The message box -----------------------------------------------------------------------

void GameMessage(const std::string& text) {
  g_gui.Messages.push_back(text);
  eng::LogAdd(text);
  std::fprintf(stderr, "tessera: %s\n", text.c_str());
  Window_Create(MessageWindowName);
  if (TGmWindow* box = TopWindowNamed(MessageWindowName)) {
    int32_t width = RoundWidth(eng::Text_Width(g_gui.Font, text, 0.0f));
    if (width > box->W - kMessageMargin) box->W = width + kMessageMargin;
    for (TGmLabel& l : box->Labels)
      if (SameName(l.Name, MessageTextName)) {
        l.Caption = text;
        l.X = box->W / 2;
      }
    for (TGmButton& b : box->Buttons)
      if (SameName(b.Name, MessageOKName)) b.X = box->W / 2;
  }
  g_gui.Flags.GameFrozen = true;
  Script_PauseAll();
}

void GameMessageOK() {
  Window_Close(MessageWindowName);
  g_gui.Flags.GameFrozen = false;
  Script_ResumeAll();
}

// ---- The drag ------------------------------------------------------------------------------

void GuiDragEndForCreature(int32_t creatureIndex) {
  if (g_gui.Drag.Creature == creatureIndex) g_gui.Drag = TGuiDrag{};
}

void GuiDragEndForItem(int32_t creatureIndex, const std::string& itemName) {
  if (g_gui.Drag.Creature == creatureIndex && SameName(g_gui.Drag.Item, itemName)) g_gui.Drag = TGuiDrag{};
}

const std::vector<std::string>& GuiFiredEvents() { return g_gui.Events; }
const std::vector<std::string>& GuiMessages() { return g_gui.Messages; }

void GUIReset() { g_gui = TGuiState{}; }

}  // namespace game
