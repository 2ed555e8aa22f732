// Start-up and shut-down, the callback table, feature flags and system values.
#include "engine/main.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/application.h"
#include "engine/font.h"
#include "engine/input_stream.h"
#include "engine/log.h"
#include "engine/opengl.h"
#include "engine/output_files.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/screenshot.h"
#include "engine/textures.h"
#include "engine/textures_jpg.h"
#include "engine/textures_png.h"
#include "engine/textures_tga.h"
#include "engine/timers.h"
#include "engine/window.h"

namespace eng {

namespace {

void NoProc() {}
void NoUpdate(double) {}

struct MainState {
  EngineProc load = NoProc;
  EngineProc draw = NoProc;
  UpdateProc update = NoUpdate;
  EngineProc exit = NoProc;
  uint32_t features = kDefaultFeatures;
  std::string programDir;
  std::string userDataDir;
};

MainState g_main;

void LogResourceCount(const char* label, int count) {
  LogAdd(std::string(label) + " to free: " + std::to_string(count));
}

void Shutdown() {
  ScreenshotWriteFinal();
  // Back to the desktop's own mode before anything else goes.
  if (Screen().FullScreen) platform::SetFullscreen(false, {});

  LogResourceCount("Timers", TimerCount());
  TimersFreeAll();
  App().FpsTimer = nullptr;
  LogResourceCount("Render Targets", 0);  // the game makes none
  LogResourceCount("Textures", static_cast<int>(TextureCount()));
  TexturesFreeAll();
  LogResourceCount("Fonts", static_cast<int>(FontCount()));
  FontsFreeAll();
  LogResourceCount("Sounds", 0);  // the game plays no sound

  const AppState& app = App();
  if (app.Seconds >= 1) {
    long average = std::lround(static_cast<double>(app.FpsSum) / app.Seconds);
    LogAdd("Average FPS: " + std::to_string(average));
  }
  GLDestroyContext();
  CallExit();
  LogAdd("End");
  LogClose();
  InputStreamClose();
  platform::Shutdown();
}

}  // namespace

void RegisterCallback(uint32_t id, EngineProc proc) {
  switch (id) {
    case CallbackLoad: g_main.load = proc ? proc : NoProc; break;
    case CallbackDraw: g_main.draw = proc ? proc : NoProc; break;
    case CallbackExit: g_main.exit = proc ? proc : NoProc; break;
    default: break;
  }
}

void RegisterCallback(uint32_t id, UpdateProc proc) {
  if (id == CallbackUpdate) g_main.update = proc ? proc : NoUpdate;
}

void RegisterCallback(uint32_t id, const std::string& extension) {
  if (id == CallbackTextureExtension) TextureRegisterExtension(extension);
}

void RegisterCallback(uint32_t id, TextureFileReader reader) {
  if (id == CallbackTextureFileReader) TextureRegisterFileReader(reader);
}

void RegisterCallback(uint32_t id, TextureMemoryReader reader) {
  if (id == CallbackTextureMemoryReader) TextureRegisterMemoryReader(reader);
}

void RegisterImageReaders() {
  RegisterCallback(CallbackTextureExtension, std::string("jpg"));
  RegisterCallback(CallbackTextureFileReader, JpgLoadFromFile);
  RegisterCallback(CallbackTextureMemoryReader, JpgLoadFromMemory);
  RegisterCallback(CallbackTextureExtension, std::string("tga"));
  RegisterCallback(CallbackTextureFileReader, TgaLoadFromFile);
  RegisterCallback(CallbackTextureMemoryReader, TgaLoadFromMemory);
  RegisterCallback(CallbackTextureExtension, std::string("png"));
  RegisterCallback(CallbackTextureFileReader, PngLoadFromFile);
  RegisterCallback(CallbackTextureMemoryReader, PngLoadFromMemory);
}

void CallLoad() { g_main.load(); }
void CallDraw() { g_main.draw(); }
void CallUpdate(double elapsedMs) { g_main.update(elapsedMs); }
void CallExit() { g_main.exit(); }

void DisableFeature(uint32_t mask) {
  uint32_t cleared = g_main.features & mask;
  g_main.features &= ~mask;
  if ((cleared & FeatureDepthBuffer) && platform::HasWindow()) glDisable(GL_DEPTH_TEST);
  if (cleared & FeatureLog) LogClose();
}

bool FeatureEnabled(uint32_t mask) { return (g_main.features & mask) != 0; }
uint32_t Features() { return g_main.features; }

void SetScreenOptions(uint16_t width, uint16_t height, uint16_t bpp, uint16_t /*refresh*/,
                      bool fullscreen, bool vsync) {
  ScreenState& s = Screen();
  if (!App().Initialised) {
    s.Width = s.RenderWidth = width;
    s.Height = s.RenderHeight = height;
    s.BPP = bpp;
    s.FullScreen = fullscreen;
    s.VSync = vsync;
    return;
  }
  ScreenApplyOptions(width, height, bpp, fullscreen, vsync);
  if (App().Working) WindowUpdate();
}

void EngineInit(uint8_t fsaa, uint8_t stencilBits) {
  g_main.programDir = platform::ProgramDirectory();
  const char* appData = std::getenv("APPDATA");
  g_main.userDataDir = std::string(appData ? appData : "") + "/";
  LogOpen();
  RegisterImageReaders();
  GLState& gl = GL();
  gl.FSAA = fsaa;
  gl.StencilBits = stencilBits;

  ScreenState& s = Screen();
  if (!platform::Init()) {
    LogAdd("Window system: " + platform::LastError());
    platform::MessageBox("ERROR!", "Cannot create window", true);
    LogAdd("ERROR: Cannot create window");
    LogClose();
    return;
  }
  ScreenReadDesktop();
  LogAdd("Current mode: " + std::to_string(s.Desktop.width) + " x " + std::to_string(s.Desktop.height));

  AppState& app = App();
  app.Initialised = true;
  if (s.Width >= s.Desktop.width && s.Height >= s.Desktop.height) s.FullScreen = true;

  if (!WindowCreate(s.Width, s.Height) || !GLCreateContext()) {
    LogClose();
    platform::Shutdown();
    return;
  }
  platform::SetCaption(s.Caption);
  app.Working = true;
  SetMode2D();
  app.ShowCursor = false;
  UpdateSystemCursor();

  MainLoop();
  Shutdown();
}

void EngineExit() { App().Working = false; }

uint32_t GetSystemValue(uint32_t id) {
  switch (id) {
    case 1: return static_cast<uint32_t>(App().FPS);
    case 9: ScreenReadDesktop(); return static_cast<uint32_t>(Screen().Desktop.width);
    case 10: ScreenReadDesktop(); return static_cast<uint32_t>(Screen().Desktop.height);
    default: return 0;
  }
}

void SetWindowPosition(int32_t x, int32_t y) {
  ScreenState& s = Screen();
  s.X = x;
  s.Y = y;
  if (!platform::HasWindow()) return;
  if (s.FullScreen && App().Focused) {
    platform::SetAlwaysOnTop(true);
    platform::SetWindowGeometry(0, 0, s.Width, s.Height);
  } else {
    platform::SetAlwaysOnTop(false);
    platform::SetWindowGeometry(x, y, s.Width, s.Height);
  }
}

void EngineReset() {
  g_main = MainState{};
  AppReset();
  ScreenReset();
  GLReset();
  TimersReset();
  TexturesReset();
  LogReset();
  InputStreamReset();
  OutputFilesReset();
}

}  // namespace eng
