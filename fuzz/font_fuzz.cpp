// Fuzzes the font description loader and text measuring over whatever it loaded.
#include <cstddef>
#include <cstdint>

#include "engine/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  eng::engTFont* font = eng::Font_LoadFromMemory(data, size, "fuzz.tfi");
  if (font) {
    const char sample[] = "Aa \xC0\xFF\x80 z";
    eng::Text_Width(font, sample, 1.0f);
  }
  eng::FontReset();
  return 0;
}
