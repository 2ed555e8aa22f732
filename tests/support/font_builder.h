// Builds font description files in memory for tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

struct TestGlyph {
  uint32_t code = 0;
  uint32_t page = 0;
  uint8_t width = 0, height = 0;
  int32_t offsetX = 0, offsetY = 0, advance = 0;
  float tex[8] = {0, 1, 1, 1, 1, 0, 0, 0};  // the whole page
};

inline std::vector<uint8_t> BuildFont(uint16_t pages, int32_t lineHeight, int32_t baselineShift,
                                      const uint8_t padding[4], const std::vector<TestGlyph>& glyphs,
                                      int glyphCountOverride = -1) {
  std::vector<uint8_t> b(std::begin("TESSERA_GLYPH"), std::begin("TESSERA_GLYPH") + 13);
  auto u16 = [&](uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
  u16(pages);
  u16(glyphCountOverride >= 0 ? uint32_t(glyphCountOverride) : uint32_t(glyphs.size()));
  u32(uint32_t(lineHeight));
  u32(uint32_t(baselineShift));
  for (int i = 0; i < 4; ++i) b.push_back(padding[i]);
  for (const TestGlyph& g : glyphs) {
    u32(g.code);
    u32(g.page);
    b.push_back(g.width);
    b.push_back(g.height);
    u32(uint32_t(g.offsetX));
    u32(uint32_t(g.offsetY));
    u32(uint32_t(g.advance));
    for (float f : g.tex) {
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      u32(bits);
    }
  }
  return b;
}

}  // namespace testsupport
