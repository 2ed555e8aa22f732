// The SDL2 implementation of the platform layer (Linux).
#include "engine/platform/platform.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace eng::platform {

namespace {

// ---- Module state ----------------------------------------------------------------------------

struct PlatformState {
  bool initialised = false;
  bool headless = false;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  int cursorX = 0;
  int cursorY = 0;
};

PlatformState g_platform;

int MouseButtonIndex(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_MIDDLE: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    default: return -1;
  }
}

void SetGLAttributes(const PixelFormat& format) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  int channel = format.colorBits >= 24 ? 8 : 5;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.alphaBits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 0 ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples > 0 ? format.samples : 0);
}

DisplayMode FromSdl(const SDL_DisplayMode& m) {
  DisplayMode mode;
  mode.width = m.w;
  mode.height = m.h;
  // Four-byte formats (RGB888, XRGB8888) are what a Windows desktop calls 32 bits per pixel.
  mode.bpp = SDL_BYTESPERPIXEL(m.format) * 8;
  mode.refresh = m.refresh_rate;
  return mode;
}

}  // namespace

// ---- Display modes -------------------------------------------------------------------------

bool Init() {
  if (g_platform.initialised) return true;
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) return false;
  g_platform.initialised = true;
  return true;
}

void Shutdown() {
  DestroyGameWindow();
  if (g_platform.initialised) SDL_Quit();
  g_platform.initialised = false;
}

DisplayMode GetDesktopMode() {
  SDL_DisplayMode m{};
  if (!Init() || SDL_GetDesktopDisplayMode(0, &m) != 0) return {};
  return FromSdl(m);
}

std::vector<DisplayMode> ListDisplayModes() {
  std::vector<DisplayMode> modes;
  if (!Init()) return modes;
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(FromSdl(m));
  }
  return modes;
}

std::string LastError() { return SDL_GetError(); }

// ---- Window and GL context -----------------------------------------------------------------

bool LoadGLLibrary() { return Init() && SDL_GL_LoadLibrary(nullptr) == 0; }

void UnloadGLLibrary() {
  if (g_platform.initialised) SDL_GL_UnloadLibrary();
}

// SDL has no separate first pass: the basic format is a probe like any other.
bool ChooseBasicPixelFormat(const PixelFormat& format) { return ProbePixelFormat(format); }

bool HasPixelFormatSearch() { return true; }

bool ProbePixelFormat(const PixelFormat& format) {
  if (!Init()) return false;
  SetGLAttributes(format);
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!probe) return false;
  SDL_GLContext context = SDL_GL_CreateContext(probe);
  bool ok = context != nullptr;
  if (ok && format.samples > 0) {
    int samples = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
    ok = samples >= format.samples;
  }
  if (context) SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(probe);
  // The probe's context was current; the game window (if any) gets its own back.
  if (g_platform.window && g_platform.context) SDL_GL_MakeCurrent(g_platform.window, g_platform.context);
  return ok;
}

bool CreateGameWindow(const std::string& caption, int x, int y, int width, int height, bool popup,
                      const PixelFormat& format, int* stage) {
  if (stage) *stage = 1;
  if (!Init()) return false;
  DestroyGameWindow();
  SetGLAttributes(format);
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  if (popup) flags |= SDL_WINDOW_BORDERLESS;
  g_platform.window = SDL_CreateWindow(caption.c_str(), x, y, width, height, flags);
  if (!g_platform.window) return false;
  if (stage) *stage = 2;
  g_platform.context = SDL_GL_CreateContext(g_platform.window);
  if (!g_platform.context) return false;
  if (stage) *stage = 3;
  if (SDL_GL_MakeCurrent(g_platform.window, g_platform.context) != 0) return false;
  if (stage) *stage = 0;
  return true;
}

void DestroyGameWindow() {
  if (g_platform.context) {
    SDL_GL_MakeCurrent(g_platform.window, nullptr);
    SDL_GL_DeleteContext(g_platform.context);
  }
  if (g_platform.window) SDL_DestroyWindow(g_platform.window);
  g_platform.context = nullptr;
  g_platform.window = nullptr;
}

bool HasWindow() { return g_platform.window != nullptr; }

void SetCaption(const std::string& caption) {
  if (g_platform.window) SDL_SetWindowTitle(g_platform.window, caption.c_str());
}

bool SetFullscreen(bool fullscreen, const DisplayMode& mode) {
  if (!g_platform.window) return false;
  if (!fullscreen) return SDL_SetWindowFullscreen(g_platform.window, 0) == 0;
  SDL_DisplayMode wanted{};
  wanted.w = mode.width;
  wanted.h = mode.height;
  wanted.refresh_rate = mode.refresh;
  wanted.format = mode.bpp >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
  if (SDL_SetWindowDisplayMode(g_platform.window, &wanted) != 0) return false;
  return SDL_SetWindowFullscreen(g_platform.window, SDL_WINDOW_FULLSCREEN) == 0;
}

void SetWindowGeometry(int x, int y, int width, int height) {
  if (!g_platform.window) return;
  SDL_SetWindowSize(g_platform.window, width, height);
  SDL_SetWindowPosition(g_platform.window, x, y);
}

void GetWindowPosition(int* x, int* y) {
  *x = 0;
  *y = 0;
  if (g_platform.window) SDL_GetWindowPosition(g_platform.window, x, y);
}

void GetWindowSize(int* width, int* height) {
  *width = 0;
  *height = 0;
  if (g_platform.window) SDL_GetWindowSize(g_platform.window, width, height);
}

void GetDrawableSize(int* width, int* height) {
  *width = 0;
  *height = 0;
  if (g_platform.window) SDL_GL_GetDrawableSize(g_platform.window, width, height);
}

void GetFrameSizes(int* caption, int* frameX, int* frameY) {
  int top = 0, left = 0, bottom = 0, right = 0;
  *caption = *frameX = *frameY = 0;
  if (!g_platform.window || SDL_GetWindowBordersSize(g_platform.window, &top, &left, &bottom, &right) != 0)
    return;
  // The system reports the caption as part of the top border.
  *frameX = left;
  *frameY = bottom;
  *caption = top > bottom ? top - bottom : 0;
}

void SetAlwaysOnTop(bool onTop) {
  if (g_platform.window) SDL_SetWindowAlwaysOnTop(g_platform.window, onTop ? SDL_TRUE : SDL_FALSE);
}

void RaiseWindow() {
  if (g_platform.window) SDL_RaiseWindow(g_platform.window);
}

void SwapWindow() {
  if (g_platform.window) SDL_GL_SwapWindow(g_platform.window);
}

int GetSwapInterval() { return g_platform.context ? SDL_GL_GetSwapInterval() : -1; }

bool SetSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

void* GetGLProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

// SDL does not tell; the renderer's name does (see the engine's context set-up).
bool IsGenericPixelFormat() { return false; }

bool HasPixelBuffers() {
  return GetGLProcAddress("glXCreatePbuffer") && GetGLProcAddress("glXDestroyPbuffer") &&
         GetGLProcAddress("glXChooseFBConfig");
}

// ---- Events --------------------------------------------------------------------------------

bool PollEvent(Event* out) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    Event ev;
    switch (e.type) {
      case SDL_QUIT:
        ev.type = EventType::Quit;
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: ev.type = EventType::Close; break;
          case SDL_WINDOWEVENT_EXPOSED: ev.type = EventType::Paint; break;
          case SDL_WINDOWEVENT_FOCUS_GAINED: ev.type = EventType::FocusGained; break;
          case SDL_WINDOWEVENT_FOCUS_LOST: ev.type = EventType::FocusLost; break;
          case SDL_WINDOWEVENT_MOVED:
            ev.type = EventType::Moved;
            ev.x = e.window.data1;
            ev.y = e.window.data2;
            break;
          case SDL_WINDOWEVENT_DISPLAY_CHANGED: ev.type = EventType::DisplayChange; break;
          default: continue;
        }
        break;
      case SDL_DISPLAYEVENT:
        ev.type = EventType::DisplayChange;
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        uint8_t code = ScanCodeFromHid(e.key.keysym.scancode);
        if (code == 0) continue;
        ev.type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        ev.code = code;
        ev.repeat = e.key.repeat != 0;
        ev.system = (e.key.keysym.mod & KMOD_ALT) != 0 || e.key.keysym.scancode == SDL_SCANCODE_F10;
        break;
      }
      case SDL_TEXTINPUT: {
        // One event per byte of the typed text; the text buffer is the only reader.
        const char* text = e.text.text;
        if (!text[0]) continue;
        ev.type = EventType::Char;
        ev.code = static_cast<unsigned char>(text[0]);
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int button = MouseButtonIndex(e.button.button);
        if (button < 0) continue;
        ev.type = e.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
        ev.code = button;
        ev.doubleClick = e.button.clicks >= 2;
        ev.x = g_platform.cursorX = e.button.x;
        ev.y = g_platform.cursorY = e.button.y;
        break;
      }
      case SDL_MOUSEWHEEL:
        if (e.wheel.y == 0) continue;
        ev.type = EventType::MouseWheel;
        ev.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        break;
      case SDL_MOUSEMOTION:
        ev.type = EventType::MouseMove;
        ev.x = g_platform.cursorX = e.motion.x;
        ev.y = g_platform.cursorY = e.motion.y;
        break;
      default:
        continue;
    }
    *out = ev;
    return true;
  }
  return false;
}

void GetCursorPosition(int* x, int* y) {
  *x = g_platform.cursorX;
  *y = g_platform.cursorY;
}

void ShowSystemCursor(bool show) {
  if (g_platform.initialised) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

// ---- Clock, sleep, boxes -------------------------------------------------------------------

uint64_t PerformanceCounter() { return SDL_GetPerformanceCounter(); }
uint64_t PerformanceFrequency() { return SDL_GetPerformanceFrequency(); }
void SleepMs(uint32_t ms) { SDL_Delay(ms); }

void MessageBox(const std::string& caption, const std::string& text, bool error) {
  std::fprintf(stderr, "%s %s\n", caption.c_str(), text.c_str());
  if (g_platform.headless) return;
  SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING, caption.c_str(),
                           text.c_str(), nullptr);
}

void SetHeadless(bool headless) { g_platform.headless = headless; }
bool IsHeadless() { return g_platform.headless; }

std::string ProgramDirectory() {
  char* base = SDL_GetBasePath();
  if (!base) return {};
  std::string dir = base;
  SDL_free(base);
  return dir;
}

}  // namespace eng::platform
