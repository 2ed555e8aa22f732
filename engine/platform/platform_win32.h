// Seams of the Windows backend that only its own tests use: the window handle to send messages
// to, the key translation of the window procedure, the attribute list of a format search, and a
// stand-in for the driver's wglChoosePixelFormatARB. Nothing above the platform layer includes it.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
// The build defines these so that <GL/gl.h> does not pull in <windows.h> everywhere; here the
// system's own definitions take over.
#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#include <windows.h>
// NOTE: <windows.h> renames MessageBox to MessageBoxA; the platform layer's MessageBox keeps its
// name in every file that includes this one.
#undef MessageBox

#include <cstdint>
#include <vector>

#include "engine/platform/platform.h"

namespace eng::platform::win32 {

// The signature of wglChoosePixelFormatARB.
using ChoosePixelFormatProc = BOOL(WINAPI*)(HDC dc, const int* intAttributes,
                                            const FLOAT* floatAttributes, UINT maxFormats,
                                            int* formats, UINT* formatCount);

// Makes the format search call `proc` instead of the driver's entry point (null: the driver's).
void SetChoosePixelFormatHook(ChoosePixelFormatProc proc);
// The integer attribute list that one try of the search passes, ending in 0, 0.
std::vector<int> PixelFormatAttributes(const PixelFormat& format);
// The game window (null when there is none).
HWND GameWindow();
// The key code of a key message: 0x80 + code for the ten navigation keys, the side of Shift, Ctrl
// and Alt from the message, MapVirtualKeyA for every other key; 0 when the key has none.
uint8_t KeyCodeFromMessage(WPARAM virtualKey, LPARAM flags);

}  // namespace eng::platform::win32
