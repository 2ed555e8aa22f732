// The Windows backend on a real window system (Wine's virtual display in the test run): the
// pixel-format search with a stand-in for the driver's search, key and mouse codes from synthetic
// window messages, display modes, and the game's own window ended by Escape, Alt+F4 and closing.
#include "engine/platform/platform_win32.h"

#include <GL/gl.h>
#include <GL/wglext.h>  // the attribute names the stand-in reads
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/application.h"
#include "engine/keyboard.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/screen.h"
#include "engine/textures.h"
#include "game/core/game_core.h"
#include "game/world/defs.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using eng::platform::Event;
using eng::platform::EventType;

// ---- The stand-in for wglChoosePixelFormatARB ----------------------------------------------

struct SearchStub {
  bool refuseAll = false;
  int maxDepth = 99;        // formats with more depth bits are refused
  bool refuseSamples = false;
  int format = 0;           // what an accepted try answers
  std::vector<std::vector<int>> lists;  // every attribute list asked for
};

SearchStub g_stub;

int Attribute(const std::vector<int>& list, int name) {
  for (size_t i = 0; i + 1 < list.size() && list[i] != 0; i += 2)
    if (list[i] == name) return list[i + 1];
  return -1;
}

BOOL WINAPI StubChoose(HDC dc, const int* attributes, const FLOAT*, UINT, int* formats, UINT* count) {
  std::vector<int> list;
  for (const int* a = attributes;; a += 2) {
    list.push_back(a[0]);
    list.push_back(a[1]);
    if (a[0] == 0) break;
  }
  g_stub.lists.push_back(list);
  *count = 0;
  if (g_stub.refuseAll || Attribute(list, WGL_DEPTH_BITS_ARB) > g_stub.maxDepth ||
      (g_stub.refuseSamples && Attribute(list, WGL_SAMPLES_ARB) > 0))
    return TRUE;
  // A format that exists on this device, so that the real window can take it.
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 32;
  pfd.cDepthBits = static_cast<BYTE>(Attribute(list, WGL_DEPTH_BITS_ARB));
  g_stub.format = ChoosePixelFormat(dc, &pfd);
  formats[0] = g_stub.format;
  *count = 1;
  return TRUE;
}

// The log's lines without their time stamps.
std::vector<std::string> LogLines(const fs::path& file, const std::string& prefix) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 13 && line[0] == '[' && line.compare(9, 4, "ms] ") == 0) line = line.substr(13);
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  }
  return lines;
}

std::string Try(int depth, int stencil, int fsaa) {
  return "wglChoosePixelFormatARB: zDepth = " + std::to_string(depth) + "; stencil = " +
         std::to_string(stencil) + "; fsaa = " + std::to_string(fsaa);
}

// ---- The engine's window in this process ---------------------------------------------------

class Win32Window : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::EngineReset();
    g_stub = SearchStub{};
    old_ = fs::current_path();
    dir_ = testsupport::ScratchDir();
    fs::current_path(dir_);
    eng::platform::SetHeadless(true);
    eng::LogOpen();
    ASSERT_TRUE(eng::platform::Init());
    eng::ScreenReadDesktop();
    eng::App().Initialised = true;
  }
  void TearDown() override {
    eng::GLDestroyContext();
    eng::platform::Shutdown();
    eng::platform::win32::SetChoosePixelFormatHook(nullptr);
    eng::EngineReset();
    fs::current_path(old_);
  }
  // Opens the window through the engine with the stand-in search.
  bool Open(int fsaa, int stencil) {
    eng::platform::win32::SetChoosePixelFormatHook(StubChoose);
    eng::GL().FSAA = static_cast<uint8_t>(fsaa);
    eng::GL().StencilBits = static_cast<uint8_t>(stencil);
    return eng::GLCreateContext();
  }
  std::vector<std::string> SearchLog() {
    eng::LogClose();
    return LogLines(dir_ / "log.txt", "wglChoosePixelFormatARB");
  }
  // Every event the window has queued so far.
  static void Drain() {
    Event e;
    while (eng::platform::PollEvent(&e)) {
    }
  }
  // Sends one message and returns the single event it makes (type None when it makes none).
  static Event Send(UINT message, WPARAM wParam, LPARAM lParam) {
    Drain();
    SendMessageA(eng::platform::win32::GameWindow(), message, wParam, lParam);
    Event e;
    if (!eng::platform::PollEvent(&e)) e = Event{};
    return e;
  }
  fs::path old_, dir_;
};

TEST_F(Win32Window, FormatSearchWalksDepthThenFsaaUntilAFormatIsFound) {
  g_stub.maxDepth = 16;
  g_stub.refuseSamples = true;
  ASSERT_TRUE(Open(4, 0));

  EXPECT_EQ(SearchLog(), (std::vector<std::string>{Try(24, 0, 4), Try(16, 0, 4), Try(8, 0, 4),
                                                   Try(24, 0, 2), Try(16, 0, 2), Try(8, 0, 2),
                                                   Try(24, 0, 0), Try(16, 0, 0)}));
  ASSERT_EQ(g_stub.lists.size(), 8u);
  const std::vector<int>& first = g_stub.lists.front();
  EXPECT_EQ(Attribute(first, WGL_ACCELERATION_ARB), WGL_FULL_ACCELERATION_ARB);
  EXPECT_EQ(Attribute(first, WGL_DRAW_TO_WINDOW_ARB), 1);
  EXPECT_EQ(Attribute(first, WGL_SUPPORT_OPENGL_ARB), 1);
  EXPECT_EQ(Attribute(first, WGL_DOUBLE_BUFFER_ARB), 1);
  EXPECT_EQ(Attribute(first, WGL_COLOR_BITS_ARB), 32);
  EXPECT_EQ(Attribute(first, WGL_ALPHA_BITS_ARB), 8);
  EXPECT_EQ(Attribute(first, WGL_SAMPLE_BUFFERS_ARB), 1);
  EXPECT_EQ(Attribute(first, WGL_SAMPLES_ARB), 4);
  EXPECT_EQ(Attribute(first, WGL_STENCIL_BITS_ARB), -1) << "no stencil asked for, none named";
  const std::vector<int>& last = g_stub.lists.back();
  EXPECT_EQ(Attribute(last, WGL_SAMPLE_BUFFERS_ARB), -1) << "fsaa 0 names no multisampling";
  EXPECT_EQ(Attribute(last, WGL_DEPTH_BITS_ARB), 16);
  EXPECT_EQ(last[last.size() - 2], 0);
  EXPECT_EQ(last.back(), 0);

  // The real window has the very format the search found, and the temporary one is gone.
  EXPECT_EQ(eng::GL().Chosen.depthBits, 16);
  EXPECT_EQ(eng::GL().Chosen.samples, 0);
  HWND window = eng::platform::win32::GameWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetPixelFormat(GetDC(window)), g_stub.format);
  EXPECT_EQ(FindWindowA("Tessera format search", nullptr), nullptr);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, "Tessera");
}

TEST_F(Win32Window, RefusedSearchFallsBackToTheBasicFormatAndNamesTheStencil) {
  g_stub.refuseAll = true;
  ASSERT_TRUE(Open(2, 8));

  std::vector<std::string> tries = SearchLog();
  EXPECT_EQ(tries, (std::vector<std::string>{Try(24, 8, 2), Try(16, 8, 2), Try(8, 8, 2),
                                             Try(24, 8, 0), Try(16, 8, 0), Try(8, 8, 0)}));
  for (const std::vector<int>& list : g_stub.lists) EXPECT_EQ(Attribute(list, WGL_STENCIL_BITS_ARB), 8);
  EXPECT_EQ(eng::GL().Chosen.samples, 0);
  HWND window = eng::platform::win32::GameWindow();
  ASSERT_NE(window, nullptr);
  PIXELFORMATDESCRIPTOR pfd{};
  HDC dc = GetDC(window);
  ASSERT_NE(DescribePixelFormat(dc, GetPixelFormat(dc), sizeof pfd, &pfd), 0);
  EXPECT_TRUE(pfd.dwFlags & PFD_SUPPORT_OPENGL);
  EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_NE(glGetString(GL_VERSION), nullptr) << "the context is current";
}

TEST_F(Win32Window, KeyMessagesGiveScanCodesWithTheExtendedNavigationKeys) {
  ASSERT_TRUE(Open(0, 0));
  struct Case {
    WPARAM key;
    LPARAM flags;
    int code;
  };
  const LPARAM kExtended = 1L << 24;
  const Case cases[] = {
      {VK_ESCAPE, 0, 0x01}, {VK_RETURN, 0, 0x1C}, {'E', 0, 0x12}, {'T', 0, 0x14}, {'M', 0, 0x32},
      {VK_F4, 0, 0x3E}, {'A', 0, 0x1E}, {'1', 0, 0x02}, {VK_SPACE, 0, 0x39},
      // The ten navigation keys by their virtual key, with or without the extended bit.
      {VK_PRIOR, kExtended, 0xC9}, {VK_NEXT, kExtended, 0xD1}, {VK_END, kExtended, 0xCF},
      {VK_HOME, kExtended, 0xC7}, {VK_LEFT, kExtended, 0xCB}, {VK_UP, kExtended, 0xC8},
      {VK_RIGHT, kExtended, 0xCD}, {VK_DOWN, kExtended, 0xD0}, {VK_INSERT, kExtended, 0xD2},
      {VK_DELETE, kExtended, 0xD3}, {VK_HOME, 0, 0xC7},
      // The modifiers' sides: the extended bit for Ctrl and Alt, the scan code for Shift.
      {VK_CONTROL, 0, 0x1D}, {VK_CONTROL, kExtended, 0x9D}, {VK_MENU, 0, 0x38},
      {VK_MENU, kExtended, 0xB8}, {VK_SHIFT, 0x2AL << 16, 0x2A}, {VK_SHIFT, 0x36L << 16, 0x36},
  };
  for (const Case& c : cases) {
    Event down = Send(WM_KEYDOWN, c.key, c.flags | 1);
    EXPECT_EQ(down.type, EventType::KeyDown) << "key " << c.key;
    EXPECT_EQ(down.code, c.code) << "key " << c.key;
    EXPECT_FALSE(down.system);
    EXPECT_FALSE(down.repeat);
    Event up = Send(WM_KEYUP, c.key, c.flags | 1 | (1L << 30) | (1L << 31));
    EXPECT_EQ(up.type, EventType::KeyUp) << "key " << c.key;
    EXPECT_EQ(up.code, c.code) << "key " << c.key;
  }
  // Bit 30 of a down message: the key was already down (auto-repeat).
  EXPECT_TRUE(Send(WM_KEYDOWN, 'E', 1 | (1L << 30)).repeat);
  // System-key messages are the keys pressed with Alt.
  Event alt = Send(WM_SYSKEYDOWN, VK_MENU, 1 | (1L << 29));
  EXPECT_EQ(alt.code, 0x38);
  EXPECT_TRUE(alt.system);
  // Typed characters.
  Event ch = Send(WM_CHAR, 'x', 1);
  EXPECT_EQ(ch.type, EventType::Char);
  EXPECT_EQ(ch.code, 'x');
}

TEST_F(Win32Window, TheWindowProcedureFeedsTheEngineState) {
  ASSERT_TRUE(Open(0, 0));
  eng::App().Working = true;
  auto deliver = [](UINT message, WPARAM wParam, LPARAM lParam) {
    Event e = Send(message, wParam, lParam);
    ASSERT_NE(e.type, EventType::None) << "message " << message;
    eng::WindowProc(e);
  };
  // Alt counts as itself and as either Alt.
  deliver(WM_SYSKEYDOWN, VK_MENU, 1 | (1L << 29));
  EXPECT_TRUE(eng::KeyDown(0x38));
  EXPECT_TRUE(eng::KeyDown(eng::KeyAlt));
  deliver(WM_SYSKEYUP, VK_MENU, 1 | (1L << 30) | (1L << 31));
  EXPECT_FALSE(eng::KeyDown(0x38));
  EXPECT_FALSE(eng::KeyDown(eng::KeyAlt));

  // Buttons with their positions, a double click as a press, the wheel both ways.
  eng::MouseClearState();
  deliver(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
  EXPECT_TRUE(eng::MouseDown(0));
  EXPECT_TRUE(eng::MouseClick(0));
  EXPECT_EQ(eng::MouseX(), 10);
  EXPECT_EQ(eng::MouseY(), 20);
  deliver(WM_LBUTTONUP, 0, MAKELPARAM(11, 21));
  EXPECT_FALSE(eng::MouseDown(0));
  EXPECT_TRUE(eng::MouseUp(0));
  deliver(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 6));
  EXPECT_TRUE(eng::MouseDown(2));
  deliver(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 6));
  EXPECT_TRUE(eng::MouseDown(1));
  deliver(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  EXPECT_TRUE(eng::MouseWheel(1));
  EXPECT_FALSE(eng::MouseWheel(0));
  deliver(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_TRUE(eng::MouseWheel(0));
  EXPECT_FALSE(eng::MouseWheel(1));

  // Dragging the window reports its new place.
  RECT moving{300, 200, 1100, 830};
  deliver(WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
  EXPECT_EQ(eng::Screen().X, 300);
  EXPECT_EQ(eng::Screen().Y, 200);

  // Alt+F4 ends the loop; so does closing the window.
  deliver(WM_SYSKEYDOWN, VK_F4, 1 | (1L << 29));
  EXPECT_FALSE(eng::App().Working);
  eng::App().Working = true;
  deliver(WM_CLOSE, 0, 0);
  EXPECT_FALSE(eng::App().Working);
}

TEST_F(Win32Window, FramedWindowHasTheAskedClientSizeAndAFullscreenModeMustBeOffered) {
  ASSERT_TRUE(Open(0, 0));
  int width = 0, height = 0;
  eng::platform::GetDrawableSize(&width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  int caption = 0, frameX = 0, frameY = 0;
  eng::platform::GetFrameSizes(&caption, &frameX, &frameY);
  EXPECT_GT(caption, 0);
  RECT outer;
  GetWindowRect(eng::platform::win32::GameWindow(), &outer);
  EXPECT_EQ(outer.right - outer.left, 800 + 2 * frameX);
  EXPECT_EQ(outer.bottom - outer.top, 600 + 2 * frameY + caption);

  std::vector<eng::platform::DisplayMode> modes = eng::platform::ListDisplayModes();
  eng::platform::DisplayMode desktop = eng::platform::GetDesktopMode();
  ASSERT_FALSE(modes.empty());
  bool desktopListed = false;
  for (const auto& m : modes) desktopListed |= m.width == desktop.width && m.height == desktop.height;
  EXPECT_TRUE(desktopListed);
  // A mode the display does not offer is refused and leaves the framed window as it was.
  EXPECT_FALSE(eng::platform::SetFullscreen(true, {desktop.width + 1, desktop.height + 1, 32, 0}));
  LONG_PTR style = GetWindowLongPtrA(eng::platform::win32::GameWindow(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
}

// Content is often written on this system: backslashes and any letter case name the files.
TEST(Win32Paths, DataPathsWithBackslashesAndAnyCaseReadTheContent) {
  eng::TexturesReset();
  eng::RegisterImageReaders();
  game::Core().AppDir = std::string(TESSERA_GAME_DIR) + "/";
  for (const auto& [folder, name] : {std::pair{"Data\\Textures\\", "grass.jpg"},
                                     std::pair{"DATA\\textures\\", "GRASS.JPG"},
                                     std::pair{"data/Textures/", "Select_Ring.TGA"}}) {
    eng::TImage image;
    std::string path = game::DataPath(folder, name);
    EXPECT_TRUE(eng::TextureReadImage(path, &image)) << path;
    EXPECT_GT(image.Width, 0) << path;
  }
  game::GameCoreReset();
  eng::TexturesReset();
}

// ---- The game itself -----------------------------------------------------------------------

// A running tessera.exe, headless, with its log on, in a folder with the game's content.
class GameProcess {
 public:
  explicit GameProcess(const fs::path& dir) : dir_(dir) {
    std::string commandLine = "\"" + testsupport::BinPath("tessera").string() + "\" --headless --log";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              dir.string().c_str(), &startup, &process_);
  }
  ~GameProcess() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  // The window of this process: another game running in the same Wine session has one of the
  // same class and caption, and ending that one would fail a test that is not this one.
  HWND OwnWindow() const {
    for (HWND w = FindWindowExA(nullptr, nullptr, "Tessera", "Tessera 1.00"); w;
         w = FindWindowExA(nullptr, w, "Tessera", "Tessera 1.00")) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == process_.dwProcessId) return w;
    }
    return nullptr;
  }
  // The game's window once its loop runs (the log says the load has begun), or null.
  HWND Window() {
    if (!started_) return nullptr;
    for (int i = 0; i < 600; ++i) {
      HWND w = OwnWindow();
      if (w && !LogLines(dir_ / "log.txt", "Support WaitVSync").empty()) return w;
      if (WaitForSingleObject(process_.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }
  // Sends `post` every 200 ms until the log has a line starting with `line` or 60 s pass
  // (a key press counts once per game tick, and the first tick may not have come yet).
  bool PostUntilLogged(const std::function<void()>& post, const std::string& line) {
    for (int i = 0; i < 300; ++i) {
      post();
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      if (!LogLines(dir_ / "log.txt", line).empty()) return true;
    }
    return false;
  }
  // The exit status after at most 60 s, or -1.
  int Wait() {
    if (!started_ || WaitForSingleObject(process_.hProcess, 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }
  std::vector<std::string> Log(const std::string& prefix) { return LogLines(dir_ / "log.txt", prefix); }

 private:
  fs::path dir_;
  BOOL started_ = FALSE;
  PROCESS_INFORMATION process_{};
};

class GameWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::path(TESSERA_BINARY_DIR) / "test-scratch" / "GameWindow";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    testsupport::LinkGameContent(dir_);
  }
  // One game at a time: they share the log file and the window's class name.
  static fs::path dir_;
};

fs::path GameWindow::dir_;

void PostKey(HWND w, UINT message, WPARAM key, LPARAM flags) { PostMessageA(w, message, key, flags | 1); }

// The game reads held keys once per tick: a key released in the same pass as it went down was
// never seen held.
void HoldForTicks() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

// A run of the game for each way of ending it.
TEST_F(GameWindow, EscapeAltF4AndClosingTheWindowEndTheGameWithStatusZero) {
  const std::pair<const char*, std::function<void(HWND)>> ways[] = {
      {"Escape", [](HWND w) { PostKey(w, WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"Alt+F4",
       [](HWND w) {
         PostKey(w, WM_SYSKEYDOWN, VK_MENU, 1L << 29);
         PostKey(w, WM_SYSKEYDOWN, VK_F4, 1L << 29);
       }},
      {"closing the window", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }},
  };
  for (const auto& [name, end] : ways) {
    SCOPED_TRACE(name);
    GameProcess game(dir_);
    HWND w = game.Window();
    ASSERT_NE(w, nullptr) << "the game's window did not appear";
    end(w);
    EXPECT_EQ(game.Wait(), 0);
    EXPECT_FALSE(game.Log("End").empty()) << "the engine shut down in order";
  }
}

TEST_F(GameWindow, AltEnterAsksForFullscreenAtTheWindowSizeWhichTheDisplayRefuses) {
  GameProcess game(dir_);
  HWND w = game.Window();
  ASSERT_NE(w, nullptr);
  eng::platform::DisplayMode desktop = eng::platform::GetDesktopMode();
  bool offered = false;
  for (const auto& m : eng::platform::ListDisplayModes()) offered |= m.width == 800 && m.height == 600;
  ASSERT_FALSE(offered) << "the test expects a display without an 800 x 600 mode, desktop "
                        << desktop.width << " x " << desktop.height;
  auto altEnter = [w] {
    PostKey(w, WM_SYSKEYDOWN, VK_MENU, 1L << 29);
    PostKey(w, WM_SYSKEYDOWN, VK_RETURN, 1L << 29);
    HoldForTicks();
    PostKey(w, WM_SYSKEYUP, VK_RETURN, (1L << 29) | (1L << 30) | (1L << 31));
    PostKey(w, WM_SYSKEYUP, VK_MENU, (1L << 30) | (1L << 31));
  };
  ASSERT_TRUE(game.PostUntilLogged(altEnter, "WARNING: Cannot set fullscreen mode."));
  PostKey(w, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(game.Wait(), 0);
  std::vector<std::string> options = game.Log("Set screen options: ");
  ASSERT_FALSE(options.empty());
  EXPECT_EQ(options.back(), "Set screen options: 800x600x" + std::to_string(desktop.bpp) + "bpp windowed");
}

TEST_F(GameWindow, CtrlEnterAsksForFullscreenAtTheDesktopSize) {
  GameProcess game(dir_);
  HWND w = game.Window();
  ASSERT_NE(w, nullptr);
  eng::platform::DisplayMode desktop = eng::platform::GetDesktopMode();
  auto ctrlEnter = [w] {
    PostKey(w, WM_KEYDOWN, VK_CONTROL, 0);
    PostKey(w, WM_KEYDOWN, VK_RETURN, 0);
    HoldForTicks();
    PostKey(w, WM_KEYUP, VK_RETURN, (1L << 30) | (1L << 31));
    PostKey(w, WM_KEYUP, VK_CONTROL, (1L << 30) | (1L << 31));
  };
  std::string size = std::to_string(desktop.width) + "x" + std::to_string(desktop.height) + "x";
  ASSERT_TRUE(game.PostUntilLogged(ctrlEnter, "Set screen options: " + size));
  PostKey(w, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(game.Wait(), 0);
  std::vector<std::string> options = game.Log("Set screen options: " + size);
  ASSERT_FALSE(options.empty());
  EXPECT_EQ(options.front(), "Set screen options: " + size + std::to_string(desktop.bpp) + "bpp fullscreen");
}

}  // namespace
