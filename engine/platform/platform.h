// The platform layer: the one place that talks to the window system (window, GL context, events,
// display modes, message boxes, clock, picture decoding). Two backends implement it, SDL on Linux
// (platform_sdl.cpp) and the Windows API itself (platform_win32.cpp); the build picks one by
// target. Everything above it sees only these plain types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace eng::platform {

// ---- Display modes -------------------------------------------------------------------------

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bpp = 0;      // bits per pixel as the desktop reports it (4-byte formats count as 32)
  int refresh = 0;  // hertz; 0 when the system does not say
};

// Starts the video subsystem; false (with a reason in LastError) when no display is reachable.
bool Init();
// Closes every window and the video subsystem.
void Shutdown();
// The desktop's current mode.
DisplayMode GetDesktopMode();
// Every mode of the first display, in the system's order.
std::vector<DisplayMode> ListDisplayModes();
// The reason for the last failure, in the window system's words.
std::string LastError();

// ---- Window and GL context -----------------------------------------------------------------

// GL framebuffer attributes asked for when a window is created.
struct PixelFormat {
  int colorBits = 32;
  int alphaBits = 8;
  int depthBits = 24;
  int stencilBits = 0;
  int samples = 0;  // multisample samples; 0 = no multisample buffer
};

// Loads the system's GL library; false when it cannot be found.
bool LoadGLLibrary();
void UnloadGLLibrary();

// The first pass of the format choice: the plain double-buffered RGBA format with these bits that
// the system picks as closest; false when it offers none. On Windows this makes the temporary
// window and context that the search below needs.
bool ChooseBasicPixelFormat(const PixelFormat& format);
// Whether the system can search formats by attributes (multisample formats); without it the
// basic format is the one used.
bool HasPixelFormatSearch();
// One try of the pixel-format ladder: true when the system has a format with exactly these
// minimums. An accepted try is remembered, so that CreateGameWindow uses that very format.
bool ProbePixelFormat(const PixelFormat& format);

// Creates the game window (client size width x height at position x, y) with the given format,
// and makes a GL context current on it. A popup window has no frame or caption (the fullscreen
// window that covers the desktop without changing its mode). False with LastError on failure;
// `stage` then says which step failed: 1 window, 2 context, 3 make current, 4 pixel format,
// 5 device context.
bool CreateGameWindow(const std::string& caption, int x, int y, int width, int height, bool popup,
                      const PixelFormat& format, int* stage);
// Destroys the context and the window.
void DestroyGameWindow();
bool HasWindow();
void SetCaption(const std::string& caption);

// Switches the window into fullscreen with the given mode, or back to a window; false when the
// system refuses.
bool SetFullscreen(bool fullscreen, const DisplayMode& mode);
// Moves the window to x, y (where the system measures a window's position from) and gives its
// client area width x height.
void SetWindowGeometry(int x, int y, int width, int height);
void GetWindowPosition(int* x, int* y);
void GetWindowSize(int* width, int* height);
// Size of the GL drawable in pixels (what a frame actually covers).
void GetDrawableSize(int* width, int* height);
// Frame sizes of a windowed window: caption height, horizontal and vertical border thickness.
void GetFrameSizes(int* caption, int* frameX, int* frameY);
void SetAlwaysOnTop(bool onTop);
void RaiseWindow();

void SwapWindow();
// Swap interval: -1 when the driver cannot report it.
int GetSwapInterval();
bool SetSwapInterval(int interval);
// Address of a GL entry point, or null.
void* GetGLProcAddress(const char* name);
// Whether the window system offers off-screen pixel buffers for GL.
bool HasPixelBuffers();
// Whether the window's pixel format is the system's own unaccelerated one (false where the system
// does not tell).
bool IsGenericPixelFormat();

// ---- Events --------------------------------------------------------------------------------

enum class EventType : uint8_t {
  None,
  Close,         // the user asked the window to close
  Quit,          // the process is asked to end
  Paint,         // the window needs drawing
  FocusLost,
  FocusGained,
  KeyDown,       // code = PC scan code (0x80 + code for extended navigation keys)
  KeyUp,
  Char,          // code = the character typed (8-bit)
  MouseDown,     // code = button 0 left, 1 middle, 2 right
  MouseUp,
  MouseWheel,    // wheel > 0 away from the user
  MouseMove,     // x, y in client pixels
  DisplayChange,
  Moved,         // x, y = new window position
};

struct Event {
  EventType type = EventType::None;
  int code = 0;
  bool repeat = false;     // key auto-repeat
  bool system = false;     // a key message sent while Alt was held (or F10)
  bool doubleClick = false;
  int x = 0;
  int y = 0;
  int wheel = 0;
};

// Takes the next pending event; false when the queue is empty.
bool PollEvent(Event* event);
// Cursor position in client pixels, as last reported by the system.
void GetCursorPosition(int* x, int* y);
// Hides or shows the system cursor over the client area.
void ShowSystemCursor(bool show);

// PC set-1 scan code for a USB HID usage code (SDL scancodes are HID usages); 0 when the key has
// none. Extended navigation keys give 0x80 + their code.
uint8_t ScanCodeFromHid(int hidUsage);

// ---- Pictures ------------------------------------------------------------------------------

// Judges a picture's size from its header, before anything is allocated for it: writes the reason
// for refusing it into `reason` (`capacity` bytes), or leaves `reason` empty to let it be decoded.
using PictureSizeJudge = void (*)(uint32_t width, uint32_t height, char* reason, size_t capacity);

// Decodes a JPEG file image with the platform's picture decoder into RGBA pixels (alpha 255),
// bottom row first; false (nothing kept, the decoder's reason in `error` when given) when it
// cannot, when the picture is larger than 65535 pixels a side or than the file can justify, or
// when `judge` refuses its size.
bool DecodeJpeg(const uint8_t* data, size_t size, std::vector<uint8_t>* rgba, int* width, int* height,
                std::string* error = nullptr, PictureSizeJudge judge = nullptr);

// ---- Clock, sleep, boxes -------------------------------------------------------------------

uint64_t PerformanceCounter();
uint64_t PerformanceFrequency();
void SleepMs(uint32_t ms);

// A modal box with the given caption; it is also written to standard error. With headless set,
// no box is shown.
void MessageBox(const std::string& caption, const std::string& text, bool error);
void SetHeadless(bool headless);
bool IsHeadless();

// Directory of the running executable, ending in "/"; empty when unknown.
std::string ProgramDirectory();

}  // namespace eng::platform
