// The Windows implementation of the platform layer, on the Windows API itself: a window class and
// window procedure, WGL pixel formats and contexts, display modes, message boxes and the
// performance counter.
#include "engine/platform/platform_win32.h"

#include <GL/gl.h>
#include <GL/wglext.h>  // the attribute names of the format search, the swap-interval procedures

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <tuple>

namespace eng::platform {

namespace {

// ---- Constants -------------------------------------------------------------------------------

constexpr char kClassName[] = "Tessera";
constexpr char kSearchClassName[] = "Tessera format search";
constexpr DWORD kWindowedStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_VISIBLE;

// ---- Types -----------------------------------------------------------------------------------

// The formats the search accepted, by what was asked, so that the real window gets the very
// format a try found.
using FormatKey = std::tuple<int, int, int, int, int>;

FormatKey KeyOf(const PixelFormat& f) {
  return {f.colorBits, f.alphaBits, f.depthBits, f.stencilBits, f.samples};
}

// ---- Module state ----------------------------------------------------------------------------

struct Win32State {
  bool initialised = false;
  bool headless = false;
  HINSTANCE instance = nullptr;
  HMODULE glLibrary = nullptr;
  bool classRegistered = false;
  HWND window = nullptr;
  HDC dc = nullptr;
  HGLRC context = nullptr;
  bool popup = false;
  bool modeChanged = false;       // the display runs a mode of ours, not the desktop's
  bool focused = true;
  bool showCursor = true;
  // The temporary window and context of the format search.
  HWND searchWindow = nullptr;
  HDC searchDc = nullptr;
  HGLRC searchContext = nullptr;
  int basicFormat = 0;
  PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat = nullptr;
  win32::ChoosePixelFormatProc chooseHook = nullptr;
  std::map<FormatKey, int> foundFormats;
  PFNWGLGETSWAPINTERVALEXTPROC getSwapInterval = nullptr;
  PFNWGLSWAPINTERVALEXTPROC swapInterval = nullptr;
  std::deque<Event> events;
  std::string lastError;
};

Win32State g_win;

// ---- Helpers ---------------------------------------------------------------------------------

// Function pointers from the system come as one generic type; the detour through void (*)()
// is the conversion the compiler accepts without a cast-function-type warning.
template <typename Proc>
Proc ProcAs(PROC proc) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

void SetError(const char* what) {
  char text[256];
  std::snprintf(text, sizeof text, "%s (system error %lu)", what, GetLastError());
  g_win.lastError = text;
}

// Extension entry points are looked up by their plain name first and then with "ARB" appended.
PROC ExtensionProc(const char* name) {
  PROC proc = wglGetProcAddress(name);
  if (!proc) proc = wglGetProcAddress((std::string(name) + "ARB").c_str());
  return proc;
}

PIXELFORMATDESCRIPTOR Descriptor(const PixelFormat& f) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(f.colorBits);
  pfd.cAlphaBits = static_cast<BYTE>(f.alphaBits);
  pfd.cDepthBits = static_cast<BYTE>(f.depthBits);
  pfd.cStencilBits = static_cast<BYTE>(f.stencilBits);
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}

void Push(const Event& event) { g_win.events.push_back(event); }

Event MouseEvent(EventType type, int button, LPARAM lParam, bool doubleClick) {
  Event ev;
  ev.type = type;
  ev.code = button;
  ev.doubleClick = doubleClick;
  ev.x = static_cast<short>(LOWORD(lParam));
  ev.y = static_cast<short>(HIWORD(lParam));
  return ev;
}

void KeyMessage(EventType type, WPARAM wParam, LPARAM lParam, bool system) {
  uint8_t code = win32::KeyCodeFromMessage(wParam, lParam);
  if (code == 0) return;
  Event ev;
  ev.type = type;
  ev.code = code;
  ev.repeat = type == EventType::KeyDown && (lParam & (1L << 30)) != 0;
  ev.system = system;
  Push(ev);
}

// The outer rectangle of a framed window whose client area is width x height at the origin.
RECT FramedRect(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, kWindowedStyle & ~WS_VISIBLE, FALSE, WS_EX_APPWINDOW);
  return r;
}

LRESULT CALLBACK GameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The format search's window and messages sent while the window is being made or unmade
  // are the system's business only.
  if (hwnd != g_win.window) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CLOSE: Push({EventType::Close}); return 0;
    case WM_DESTROY: Push({EventType::Quit}); return 0;
    case WM_PAINT: {
      Push({EventType::Paint});
      ValidateRect(hwnd, nullptr);
      return 0;
    }
    case WM_DISPLAYCHANGE: Push({EventType::DisplayChange}); return 0;
    case WM_NCHITTEST: {
      LRESULT hit = DefWindowProcA(hwnd, message, wParam, lParam);
      // An unfocused window is not dragged by its caption: the first click only brings it back.
      return !g_win.focused && hit == HTCAPTION ? HTCLIENT : hit;
    }
    case WM_KILLFOCUS:
      g_win.focused = false;
      Push({EventType::FocusLost});
      return 0;
    case WM_SETFOCUS:
      g_win.focused = true;
      Push({EventType::FocusGained});
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && !g_win.showCursor)
        SetCursor(nullptr);
      else
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
      return TRUE;
    case WM_MOVING: {
      const RECT* r = reinterpret_cast<const RECT*>(lParam);
      Event ev;
      ev.type = EventType::Moved;
      ev.x = r->left;
      ev.y = r->top;
      Push(ev);
      return TRUE;
    }
    case WM_KEYDOWN: KeyMessage(EventType::KeyDown, wParam, lParam, false); return 0;
    case WM_SYSKEYDOWN: KeyMessage(EventType::KeyDown, wParam, lParam, true); return 0;
    case WM_KEYUP: KeyMessage(EventType::KeyUp, wParam, lParam, false); return 0;
    case WM_SYSKEYUP: KeyMessage(EventType::KeyUp, wParam, lParam, true); return 0;
    // Characters typed with Alt would go to a menu the window does not have, with a beep.
    case WM_SYSCHAR: return 0;
    case WM_CHAR: {
      Event ev;
      ev.type = EventType::Char;
      ev.code = static_cast<int>(wParam & 0xFF);
      Push(ev);
      return 0;
    }
    case WM_LBUTTONDOWN: Push(MouseEvent(EventType::MouseDown, 0, lParam, false)); return 0;
    case WM_LBUTTONDBLCLK: Push(MouseEvent(EventType::MouseDown, 0, lParam, true)); return 0;
    case WM_LBUTTONUP: Push(MouseEvent(EventType::MouseUp, 0, lParam, false)); return 0;
    case WM_MBUTTONDOWN: Push(MouseEvent(EventType::MouseDown, 1, lParam, false)); return 0;
    case WM_MBUTTONDBLCLK: Push(MouseEvent(EventType::MouseDown, 1, lParam, true)); return 0;
    case WM_MBUTTONUP: Push(MouseEvent(EventType::MouseUp, 1, lParam, false)); return 0;
    case WM_RBUTTONDOWN: Push(MouseEvent(EventType::MouseDown, 2, lParam, false)); return 0;
    case WM_RBUTTONDBLCLK: Push(MouseEvent(EventType::MouseDown, 2, lParam, true)); return 0;
    case WM_RBUTTONUP: Push(MouseEvent(EventType::MouseUp, 2, lParam, false)); return 0;
    case WM_MOUSEMOVE: Push(MouseEvent(EventType::MouseMove, 0, lParam, false)); return 0;
    case WM_MOUSEWHEEL: {
      Event ev;
      ev.type = EventType::MouseWheel;
      // The first parameter read as a signed number: positive when the wheel turned away.
      ev.wheel = static_cast<int32_t>(static_cast<uint32_t>(wParam)) > 0 ? 1 : -1;
      Push(ev);
      return 0;
    }
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

bool RegisterWindowClass(const char* name, UINT style) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = GameWindowProc;
  wc.hInstance = g_win.instance;
  wc.hIcon = LoadIconA(g_win.instance, "MAINICON");
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = name;
  if (RegisterClassExA(&wc)) return true;
  // A class left by an earlier window of this process is as good as a new one.
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Creates a window of the class at `place` (left, top, right, bottom) and takes its device
// context; false with LastError, `stage` (when given) 1 for the window, 5 for the context.
bool MakeWindow(DWORD exStyle, const char* className, const char* caption, DWORD style, RECT place,
                HWND* window, HDC* dc, int* stage) {
  if (stage) *stage = 1;
  *window = CreateWindowExA(exStyle, className, caption, style, place.left, place.top,
                            place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                            g_win.instance, nullptr);
  if (!*window) {
    SetError("Cannot create window");
    return false;
  }
  if (stage) *stage = 5;
  *dc = GetDC(*window);
  if (!*dc) {
    SetError("Cannot get device context");
    return false;
  }
  return true;
}

bool MakeContext(HDC dc, int format, const PIXELFORMATDESCRIPTOR& pfd, HGLRC* context, int* stage) {
  *stage = 4;
  if (!SetPixelFormat(dc, format, &pfd)) {
    SetError("Cannot set pixel format");
    return false;
  }
  *stage = 2;
  *context = wglCreateContext(dc);
  if (!*context) {
    SetError("Cannot create OpenGL context");
    return false;
  }
  *stage = 3;
  if (!wglMakeCurrent(dc, *context)) {
    SetError("Cannot set current OpenGL context");
    return false;
  }
  *stage = 0;
  return true;
}

void DestroySearchWindow() {
  if (g_win.searchContext) {
    if (wglGetCurrentContext() == g_win.searchContext) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(g_win.searchContext);
  }
  if (g_win.searchDc) ReleaseDC(g_win.searchWindow, g_win.searchDc);
  if (g_win.searchWindow) DestroyWindow(g_win.searchWindow);
  if (g_win.searchWindow) UnregisterClassA(kSearchClassName, g_win.instance);
  g_win.searchContext = nullptr;
  g_win.searchDc = nullptr;
  g_win.searchWindow = nullptr;
}

DEVMODEA ModeOf(const DisplayMode& mode) {
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  dm.dmPelsWidth = static_cast<DWORD>(mode.width);
  dm.dmPelsHeight = static_cast<DWORD>(mode.height);
  dm.dmBitsPerPel = static_cast<DWORD>(mode.bpp);
  dm.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  if (mode.refresh > 0) {
    dm.dmDisplayFrequency = static_cast<DWORD>(mode.refresh);
    dm.dmFields |= DM_DISPLAYFREQUENCY;
  }
  return dm;
}

bool IsCurrentMode(const DEVMODEA& wanted) {
  DEVMODEA current{};
  current.dmSize = sizeof current;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current)) return false;
  return current.dmPelsWidth == wanted.dmPelsWidth && current.dmPelsHeight == wanted.dmPelsHeight &&
         current.dmBitsPerPel == wanted.dmBitsPerPel &&
         (!(wanted.dmFields & DM_DISPLAYFREQUENCY) ||
          current.dmDisplayFrequency == wanted.dmDisplayFrequency);
}

void RestoreDesktopMode() {
  if (g_win.modeChanged) ChangeDisplaySettingsA(nullptr, 0);
  g_win.modeChanged = false;
}

void SetStyle(bool fullscreen) {
  g_win.popup = fullscreen;
  SetWindowLongPtrA(g_win.window, GWL_STYLE, static_cast<LONG_PTR>(fullscreen ? kFullscreenStyle : kWindowedStyle));
  SetWindowLongPtrA(g_win.window, GWL_EXSTYLE,
                    static_cast<LONG_PTR>(fullscreen ? WS_EX_APPWINDOW | WS_EX_TOPMOST : WS_EX_APPWINDOW));
}

}  // namespace

// ---- Display modes -------------------------------------------------------------------------

bool Init() {
  if (g_win.initialised) return true;
  g_win.instance = GetModuleHandleA(nullptr);
  g_win.initialised = true;
  return true;
}

void Shutdown() {
  DestroyGameWindow();
  DestroySearchWindow();
  if (g_win.classRegistered) UnregisterClassA(kClassName, g_win.instance);
  g_win.classRegistered = false;
  g_win.events.clear();
  g_win.foundFormats.clear();
  g_win.basicFormat = 0;
  g_win.initialised = false;
}

DisplayMode GetDesktopMode() {
  DisplayMode mode;
  mode.width = GetSystemMetrics(SM_CXSCREEN);
  mode.height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  if (screen) {
    mode.bpp = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    mode.refresh = GetDeviceCaps(screen, VREFRESH);
    ReleaseDC(nullptr, screen);
  }
  // 0 and 1 both mean "the hardware's default rate", which is no number of hertz.
  if (mode.refresh <= 1) mode.refresh = 0;
  return mode;
}

std::vector<DisplayMode> ListDisplayModes() {
  std::vector<DisplayMode> modes;
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &dm); ++i) {
    DisplayMode m;
    m.width = static_cast<int>(dm.dmPelsWidth);
    m.height = static_cast<int>(dm.dmPelsHeight);
    m.bpp = static_cast<int>(dm.dmBitsPerPel);
    m.refresh = dm.dmDisplayFrequency <= 1 ? 0 : static_cast<int>(dm.dmDisplayFrequency);
    modes.push_back(m);
  }
  return modes;
}

std::string LastError() { return g_win.lastError; }

// ---- Window and GL context -----------------------------------------------------------------

bool LoadGLLibrary() {
  if (!g_win.glLibrary) g_win.glLibrary = LoadLibraryA("opengl32.dll");
  return g_win.glLibrary != nullptr;
}

void UnloadGLLibrary() {
  if (g_win.glLibrary) FreeLibrary(g_win.glLibrary);
  g_win.glLibrary = nullptr;
}

bool ChooseBasicPixelFormat(const PixelFormat& format) {
  Init();
  DestroySearchWindow();
  g_win.foundFormats.clear();
  if (!RegisterWindowClass(kSearchClassName, CS_OWNDC)) {
    SetError("Cannot register window class");
    return false;
  }
  if (!MakeWindow(WS_EX_TOOLWINDOW, kSearchClassName, "", WS_POPUP, {0, 0, 0, 0}, &g_win.searchWindow,
                  &g_win.searchDc, nullptr)) {
    DestroySearchWindow();
    return false;
  }
  PIXELFORMATDESCRIPTOR pfd = Descriptor(format);
  int chosen = ChoosePixelFormat(g_win.searchDc, &pfd);
  int stage = 0;
  if (!chosen || !MakeContext(g_win.searchDc, chosen, pfd, &g_win.searchContext, &stage)) {
    if (!chosen) SetError("Cannot choose pixel format");
    DestroySearchWindow();
    return false;
  }
  g_win.basicFormat = chosen;
  g_win.choosePixelFormat = ProcAs<PFNWGLCHOOSEPIXELFORMATARBPROC>(ExtensionProc("wglChoosePixelFormat"));
  return true;
}

bool HasPixelFormatSearch() {
  return g_win.searchDc && (g_win.chooseHook || g_win.choosePixelFormat);
}

bool ProbePixelFormat(const PixelFormat& format) {
  if (!HasPixelFormatSearch()) return false;
  std::vector<int> attributes = win32::PixelFormatAttributes(format);
  int found = 0;
  UINT count = 0;
  win32::ChoosePixelFormatProc choose =
      g_win.chooseHook ? g_win.chooseHook : reinterpret_cast<win32::ChoosePixelFormatProc>(g_win.choosePixelFormat);
  if (!choose(g_win.searchDc, attributes.data(), nullptr, 1, &found, &count) || count == 0 || found <= 0)
    return false;
  g_win.foundFormats[KeyOf(format)] = found;
  return true;
}

bool CreateGameWindow(const std::string& caption, int x, int y, int width, int height, bool popup,
                      const PixelFormat& format, int* stage) {
  int dummy = 0;
  if (!stage) stage = &dummy;
  *stage = 1;
  Init();
  DestroyGameWindow();
  // The format the search found, or else what the system picks for the plain request.
  auto known = g_win.foundFormats.find(KeyOf(format));
  int chosen = known != g_win.foundFormats.end() ? known->second : 0;
  DestroySearchWindow();
  if (!g_win.classRegistered) {
    if (!RegisterWindowClass(kClassName, CS_OWNDC | CS_DBLCLKS)) {
      SetError("Cannot register window class");
      return false;
    }
    g_win.classRegistered = true;
  }
  DWORD style = popup ? kFullscreenStyle : kWindowedStyle;
  DWORD exStyle = popup ? WS_EX_APPWINDOW | WS_EX_TOPMOST : WS_EX_APPWINDOW;
  int outerWidth = width;
  int outerHeight = height;
  if (!popup) {
    RECT r = FramedRect(width, height);
    outerWidth = r.right - r.left;
    outerHeight = r.bottom - r.top;
  }
  g_win.popup = popup;
  g_win.focused = true;
  if (!MakeWindow(exStyle, kClassName, caption.c_str(), style, {x, y, x + outerWidth, y + outerHeight},
                  &g_win.window, &g_win.dc, stage))
    return false;
  PIXELFORMATDESCRIPTOR pfd = Descriptor(format);
  if (!chosen) chosen = ChoosePixelFormat(g_win.dc, &pfd);
  if (!chosen) {
    *stage = 4;
    SetError("Cannot choose pixel format");
    return false;
  }
  DescribePixelFormat(g_win.dc, chosen, sizeof pfd, &pfd);
  if (!MakeContext(g_win.dc, chosen, pfd, &g_win.context, stage)) return false;
  g_win.getSwapInterval = ProcAs<PFNWGLGETSWAPINTERVALEXTPROC>(wglGetProcAddress("wglGetSwapIntervalEXT"));
  g_win.swapInterval = ProcAs<PFNWGLSWAPINTERVALEXTPROC>(wglGetProcAddress("wglSwapIntervalEXT"));
  SetForegroundWindow(g_win.window);
  return true;
}

void DestroyGameWindow() {
  if (g_win.context) {
    if (!wglMakeCurrent(nullptr, nullptr)) SetError("Cannot release current OpenGL context");
    wglDeleteContext(g_win.context);
  }
  if (g_win.dc) ReleaseDC(g_win.window, g_win.dc);
  HWND window = g_win.window;
  // The window procedure no longer reports for it: the messages of its destruction are ours.
  g_win.window = nullptr;
  if (window) DestroyWindow(window);
  RestoreDesktopMode();
  g_win.context = nullptr;
  g_win.dc = nullptr;
  g_win.getSwapInterval = nullptr;
  g_win.swapInterval = nullptr;
}

bool HasWindow() { return g_win.window != nullptr; }

void SetCaption(const std::string& caption) {
  if (g_win.window) SetWindowTextA(g_win.window, caption.c_str());
}

bool SetFullscreen(bool fullscreen, const DisplayMode& mode) {
  if (!g_win.window) return false;
  if (!fullscreen) {
    RestoreDesktopMode();
    if (g_win.popup) {
      SetStyle(false);
      SetWindowPos(g_win.window, HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    }
    return true;
  }
  DEVMODEA dm = ModeOf(mode);
  // NOTE: a mode change tells every window with WM_DISPLAYCHANGE, which brings the engine back
  // here: asking again for the mode the display already runs must change nothing, or the two
  // would call each other for ever.
  if (!IsCurrentMode(dm)) {
    if (ChangeDisplaySettingsA(&dm, CDS_TEST | CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL ||
        ChangeDisplaySettingsA(&dm, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
      g_win.lastError = "the display refuses the mode";
      return false;
    }
    g_win.modeChanged = true;
  }
  SetStyle(true);
  SetWindowPos(g_win.window, HWND_TOPMOST, 0, 0, mode.width, mode.height,
               SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  return true;
}

void SetWindowGeometry(int x, int y, int width, int height) {
  if (!g_win.window) return;
  int outerWidth = width;
  int outerHeight = height;
  if (!g_win.popup) {
    RECT r = FramedRect(width, height);
    outerWidth = r.right - r.left;
    outerHeight = r.bottom - r.top;
  }
  SetWindowPos(g_win.window, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void GetWindowPosition(int* x, int* y) {
  *x = *y = 0;
  RECT r;
  if (g_win.window && GetWindowRect(g_win.window, &r)) {
    *x = r.left;
    *y = r.top;
  }
}

void GetWindowSize(int* width, int* height) { GetDrawableSize(width, height); }

void GetDrawableSize(int* width, int* height) {
  *width = *height = 0;
  RECT r;
  if (g_win.window && GetClientRect(g_win.window, &r)) {
    *width = r.right - r.left;
    *height = r.bottom - r.top;
  }
}

void GetFrameSizes(int* caption, int* frameX, int* frameY) {
  *caption = *frameX = *frameY = 0;
  if (!g_win.window || g_win.popup) return;
  RECT r = FramedRect(0, 0);
  *frameX = -r.left;
  *frameY = r.bottom;
  *caption = -r.top - r.bottom;
}

void SetAlwaysOnTop(bool onTop) {
  if (g_win.window)
    SetWindowPos(g_win.window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void RaiseWindow() {
  if (g_win.window) BringWindowToTop(g_win.window);
}

void SwapWindow() {
  if (g_win.dc) SwapBuffers(g_win.dc);
}

int GetSwapInterval() { return g_win.getSwapInterval ? g_win.getSwapInterval() : -1; }

bool SetSwapInterval(int interval) { return g_win.swapInterval && g_win.swapInterval(interval); }

void* GetGLProcAddress(const char* name) {
  PROC proc = wglGetProcAddress(name);
  // The 1.1 functions are exported by the library itself, never through the context.
  if (!proc && g_win.glLibrary) proc = GetProcAddress(g_win.glLibrary, name);
  return reinterpret_cast<void*>(proc);
}

bool HasPixelBuffers() {
  return wglGetProcAddress("wglCreatePbufferARB") && wglGetProcAddress("wglDestroyPbufferARB") &&
         ExtensionProc("wglChoosePixelFormat");
}

bool IsGenericPixelFormat() {
  PIXELFORMATDESCRIPTOR pfd{};
  if (!g_win.dc || !DescribePixelFormat(g_win.dc, GetPixelFormat(g_win.dc), sizeof pfd, &pfd)) return false;
  return (pfd.dwFlags & PFD_GENERIC_FORMAT) && !(pfd.dwFlags & PFD_GENERIC_ACCELERATED);
}

// ---- Events --------------------------------------------------------------------------------

bool PollEvent(Event* event) {
  if (g_win.events.empty()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        Push({EventType::Quit});
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (g_win.events.empty()) return false;
  *event = g_win.events.front();
  g_win.events.pop_front();
  return true;
}

void GetCursorPosition(int* x, int* y) {
  *x = *y = 0;
  POINT p;
  if (!GetCursorPos(&p)) return;
  if (g_win.window && !g_win.popup) ScreenToClient(g_win.window, &p);
  *x = p.x;
  *y = p.y;
}

void ShowSystemCursor(bool show) {
  g_win.showCursor = show;
  if (!g_win.window) return;
  POINT p;
  RECT r;
  if (GetCursorPos(&p) && ScreenToClient(g_win.window, &p) && GetClientRect(g_win.window, &r) &&
      PtInRect(&r, p))
    SetCursor(show ? LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)) : nullptr);
}

// ---- Clock, sleep, boxes -------------------------------------------------------------------

uint64_t PerformanceCounter() {
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  return static_cast<uint64_t>(value.QuadPart);
}

uint64_t PerformanceFrequency() {
  LARGE_INTEGER value;
  QueryPerformanceFrequency(&value);
  return static_cast<uint64_t>(value.QuadPart);
}

void SleepMs(uint32_t ms) { Sleep(ms); }

void MessageBox(const std::string& caption, const std::string& text, bool error) {
  std::fprintf(stderr, "%s %s\n", caption.c_str(), text.c_str());
  if (g_win.headless) return;
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), error ? MB_ICONHAND : MB_ICONEXCLAMATION);
}

void SetHeadless(bool headless) { g_win.headless = headless; }
bool IsHeadless() { return g_win.headless; }

std::string ProgramDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string dir(path, length);
  size_t slash = dir.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  dir.resize(slash + 1);
  for (char& c : dir)
    if (c == '\\') c = '/';
  return dir;
}

// ---- Seams for the backend's tests ---------------------------------------------------------

namespace win32 {

void SetChoosePixelFormatHook(ChoosePixelFormatProc proc) { g_win.chooseHook = proc; }

std::vector<int> PixelFormatAttributes(const PixelFormat& f) {
  std::vector<int> a = {WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
                        WGL_DRAW_TO_WINDOW_ARB, 1,
                        WGL_SUPPORT_OPENGL_ARB, 1,
                        WGL_DOUBLE_BUFFER_ARB, 1,
                        WGL_DEPTH_BITS_ARB, f.depthBits};
  if (f.stencilBits > 0) a.insert(a.end(), {WGL_STENCIL_BITS_ARB, f.stencilBits});
  a.insert(a.end(), {WGL_COLOR_BITS_ARB, f.colorBits, WGL_ALPHA_BITS_ARB, f.alphaBits});
  if (f.samples > 0) a.insert(a.end(), {WGL_SAMPLE_BUFFERS_ARB, 1, WGL_SAMPLES_ARB, f.samples});
  a.insert(a.end(), {0, 0});
  return a;
}

HWND GameWindow() { return g_win.window; }

uint8_t KeyCodeFromMessage(WPARAM virtualKey, LPARAM flags) {
  const bool extended = (flags & (1L << 24)) != 0;
  switch (virtualKey) {
    // Keys reported by virtual key that have extended scan codes: 0x80 + their code.
    case VK_PRIOR: return 0xC9;
    case VK_NEXT: return 0xD1;
    case VK_END: return 0xCF;
    case VK_HOME: return 0xC7;
    case VK_LEFT: return 0xCB;
    case VK_UP: return 0xC8;
    case VK_RIGHT: return 0xCD;
    case VK_DOWN: return 0xD0;
    case VK_INSERT: return 0xD2;
    case VK_DELETE: return 0xD3;
    // The modifiers come as one virtual key for both sides; the message says which.
    case VK_SHIFT: return ((flags >> 16) & 0xFF) == 0x36 ? 0x36 : 0x2A;
    case VK_CONTROL: return extended ? 0x9D : 0x1D;
    case VK_MENU: return extended ? 0xB8 : 0x38;
    default: break;
  }
  UINT code = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0);  // virtual key to scan code
  return static_cast<uint8_t>(code & 0xFF);
}

}  // namespace win32

}  // namespace eng::platform
