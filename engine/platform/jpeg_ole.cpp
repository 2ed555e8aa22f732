// The picture decoder for JPEG files through the Windows OLE picture object: the file is handed to
// the system as a stream, and the picture renders itself into a 32-bit device-independent section.
#include "engine/platform/platform_win32.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace eng::platform {

namespace {

// Sizes the readers refuse everywhere: the pixels of a larger picture would not fit the 16-bit
// sizes of an image, and what a file can justify is bounded as for the other readers.
constexpr long long kMaxSide = 0xFFFF;
constexpr long long kMaxPixelsPerByte = 1024;

struct Resources {
  HGLOBAL block = nullptr;
  IStream* stream = nullptr;
  IPicture* picture = nullptr;
  HDC dc = nullptr;
  HBITMAP section = nullptr;
  HGDIOBJ previous = nullptr;

  ~Resources() {
    if (previous) SelectObject(dc, previous);
    if (section) DeleteObject(section);
    if (dc) DeleteDC(dc);
    if (picture) picture->Release();
    // The stream owns the block once it exists.
    if (stream)
      stream->Release();
    else if (block)
      GlobalFree(block);
  }
};

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, std::vector<uint8_t>* rgba, int* width, int* height) {
  rgba->clear();
  *width = *height = 0;
  if (size == 0 || size > 0x7FFFFFFF) return false;
  // The picture object needs COM on this thread; a second call only counts up.
  static const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)comReady;

  Resources r;
  r.block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!r.block) return false;
  void* target = GlobalLock(r.block);
  if (!target) return false;
  std::memcpy(target, data, size);
  GlobalUnlock(r.block);
  if (CreateStreamOnHGlobal(r.block, TRUE, &r.stream) != S_OK) return false;
  if (OleLoadPicture(r.stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                     reinterpret_cast<void**>(&r.picture)) != S_OK)
    return false;

  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  r.picture->get_Width(&himetricWidth);
  r.picture->get_Height(&himetricHeight);
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  int w = MulDiv(himetricWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
  int h = MulDiv(himetricHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
  r.dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  long long pixels = static_cast<long long>(w) * h;
  if (!r.dc || w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide ||
      pixels > kMaxPixelsPerByte * static_cast<long long>(size))
    return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;  // positive: rows from the bottom up, as the readers deliver them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  r.section = CreateDIBSection(r.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!r.section || !bits) return false;
  r.previous = SelectObject(r.dc, r.section);
  // The source rectangle starts at the picture's height with a negative extent: HIMETRIC runs
  // upward, and the picture comes out upright.
  if (r.picture->Render(r.dc, 0, 0, w, h, 0, himetricHeight, himetricWidth, -himetricHeight, nullptr) != S_OK)
    return false;
  GdiFlush();

  const uint8_t* source = static_cast<const uint8_t*>(bits);
  rgba->resize(static_cast<size_t>(pixels) * 4);
  for (size_t i = 0; i < rgba->size(); i += 4) {
    (*rgba)[i] = source[i + 2];
    (*rgba)[i + 1] = source[i + 1];
    (*rgba)[i + 2] = source[i];
    (*rgba)[i + 3] = 255;
  }
  *width = w;
  *height = h;
  return true;
}

}  // namespace eng::platform
