// fontbake FONT.ttf PIXELS OUT.tfi OUT.tga: renders ASCII 32..126 and the Cyrillic letters
// U+0410..U+044F with FreeType into one power-of-two page (white glyphs, alpha = coverage) and
// writes the font description the engine reads.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image_write.h"

namespace {

constexpr int kPadding = 1;  // transparent border drawn with each glyph, against filtering bleed
constexpr int kGap = 1;      // extra space between padded glyphs on the page

struct BakedGlyph {
  uint32_t code = 0;
  int width = 0, height = 0;   // bitmap size
  int left = 0, top = 0;       // bearing: pen to box left, baseline to box top
  int advance = 0;
  std::vector<uint8_t> coverage;
  int x = 0, y = 0;            // box position on the page (top-left, picture rows from the top)
};

void PutU16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutF32(std::vector<uint8_t>* out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  PutU32(out, bits);
}

// Shelf packing; false when the glyphs do not fit the page.
bool Pack(std::vector<BakedGlyph>* glyphs, int pageW, int pageH) {
  int x = kGap, y = kGap, shelf = 0;
  for (BakedGlyph& g : *glyphs) {
    int w = g.width + 2 * kPadding, h = g.height + 2 * kPadding;
    if (x + w + kGap > pageW) {
      x = kGap;
      y += shelf + kGap;
      shelf = 0;
    }
    if (y + h + kGap > pageH) return false;
    g.x = x + kPadding;
    g.y = y + kPadding;
    x += w + kGap;
    shelf = std::max(shelf, h);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: fontbake FONT.ttf PIXELS OUT.tfi OUT.tga\n");
    return 2;
  }
  const char* fontPath = argv[1];
  int pixels = std::atoi(argv[2]);
  if (pixels < 4 || pixels > 128) {
    std::fprintf(stderr, "fontbake: PIXELS must be 4..128\n");
    return 2;
  }
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) || FT_New_Face(library, fontPath, 0, &face)) {
    std::fprintf(stderr, "fontbake: cannot read font %s\n", fontPath);
    return 1;
  }
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));

  std::vector<uint32_t> codes;
  for (uint32_t c = 32; c <= 126; ++c) codes.push_back(c);
  for (uint32_t c = 0x410; c <= 0x44F; ++c) codes.push_back(c);

  std::vector<BakedGlyph> glyphs;
  for (uint32_t code : codes) {
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) {
      std::fprintf(stderr, "fontbake: the font has no glyph for U+%04X\n", code);
      return 1;
    }
    const FT_GlyphSlot slot = face->glyph;
    BakedGlyph g;
    g.code = code;
    g.width = static_cast<int>(slot->bitmap.width);
    g.height = static_cast<int>(slot->bitmap.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = static_cast<int>(std::lround(slot->advance.x / 64.0));
    g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
    for (int row = 0; row < g.height; ++row)
      std::memcpy(&g.coverage[static_cast<size_t>(row * g.width)],
                  slot->bitmap.buffer + row * slot->bitmap.pitch, static_cast<size_t>(g.width));
    glyphs.push_back(std::move(g));
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);

  // The smallest power-of-two page that holds every glyph, so the page is never padded on load.
  int pageW = 64, pageH = 64;
  while (!Pack(&glyphs, pageW, pageH)) {
    if (pageW <= pageH) pageW *= 2; else pageH *= 2;
    if (pageW > 4096) {
      std::fprintf(stderr, "fontbake: glyphs do not fit a 4096 page\n");
      return 1;
    }
  }

  // Page: white everywhere, alpha = coverage; rows from the top of the picture.
  std::vector<uint8_t> page(static_cast<size_t>(pageW) * static_cast<size_t>(pageH) * 4, 0);
  for (size_t i = 0; i < page.size(); i += 4) page[i] = page[i + 1] = page[i + 2] = 255;
  for (const BakedGlyph& g : glyphs)
    for (int row = 0; row < g.height; ++row)
      for (int col = 0; col < g.width; ++col)
        page[(static_cast<size_t>(g.y + row) * static_cast<size_t>(pageW) + static_cast<size_t>(g.x + col)) * 4 + 3] =
            g.coverage[static_cast<size_t>(row * g.width + col)];

  // Metrics: glyphs hang from a common baseline B below the line's top; the tallest ascender
  // touches the top.
  int lineHeight = 0, baseline = 0;
  for (const BakedGlyph& g : glyphs) {
    lineHeight = std::max(lineHeight, g.height);
    baseline = std::max(baseline, g.top);
  }

  std::vector<uint8_t> tfi(std::begin("TESSERA_GLYPH"), std::begin("TESSERA_GLYPH") + 13);
  PutU16(&tfi, 1);
  PutU16(&tfi, static_cast<uint32_t>(glyphs.size()));
  PutU32(&tfi, static_cast<uint32_t>(lineHeight));
  PutU32(&tfi, 0);  // baseline shift
  for (int i = 0; i < 4; ++i) tfi.push_back(kPadding);
  const float fw = static_cast<float>(pageW), fh = static_cast<float>(pageH);
  for (const BakedGlyph& g : glyphs) {
    PutU32(&tfi, g.code);
    PutU32(&tfi, 0);  // page
    tfi.push_back(static_cast<uint8_t>(g.width));
    tfi.push_back(static_cast<uint8_t>(g.height));
    PutU32(&tfi, static_cast<uint32_t>(g.left));
    PutU32(&tfi, static_cast<uint32_t>(baseline + g.height - g.top - lineHeight));
    PutU32(&tfi, static_cast<uint32_t>(g.advance));
    // The padded box; V counts from the bottom row of the picture, as the image readers deliver it.
    float u0 = static_cast<float>(g.x - kPadding) / fw, u1 = static_cast<float>(g.x + g.width + kPadding) / fw;
    float v0 = 1.0f - static_cast<float>(g.y - kPadding) / fh;
    float v1 = 1.0f - static_cast<float>(g.y + g.height + kPadding) / fh;
    const float corners[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
    for (float c : corners) PutF32(&tfi, c);
  }

  std::string error;
  if (!eng::WriteBytesToFile(argv[3], tfi, &error) ||
      !eng::WriteBytesToFile(argv[4], eng::EncodeTga(pageW, pageH, page.data(), false), &error)) {
    std::fprintf(stderr, "fontbake: %s\n", error.c_str());
    return 1;
  }
  std::printf("fontbake: %zu glyphs, line height %d, page %d x %d\n", glyphs.size(), lineHeight, pageW, pageH);
  return 0;
}
