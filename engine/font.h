// Bitmap fonts: a description file (.tfi) places each character's glyph on a page texture; text is
// drawn one line at a time as textured quads in the 2D mode and measured in pixels.
//
// .tfi layout (little-endian): "TESSERA_GLYPH" (13 bytes), page count (u16), glyph count (u16),
// line height (i32), baseline shift (i32), padding left, top, right, bottom (u8 each), then per
// glyph 54 bytes: code (u32), page (u32, low 16 bits kept), width, height (u8), offset X,
// offset Y, advance (i32), and the texture coordinates (u, v as f32) of the corners top-left,
// top-right, bottom-right, bottom-left.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/textures.h"

namespace eng {

struct engTGlyph {
  uint16_t Page = 0;
  uint8_t Width = 0;
  uint8_t Height = 0;
  int32_t OffsetX = 0;
  int32_t OffsetY = 0;
  int32_t Advance = 0;
  std::array<float, 8> TexCoords{};  // (u, v) of top-left, top-right, bottom-right, bottom-left
};

struct engTFont {
  uint16_t PageCount = 0;
  uint16_t GlyphCount = 0;
  std::vector<TTexture*> Pages;                   // filled by the font's owner
  // The glyph table by character code (0..65535): GlyphIndex[code] is 1 + the glyph's place in
  // GlyphStore, 0 for none; it is only as long as the largest code loaded needs.
  std::vector<engTGlyph> GlyphStore;
  std::vector<uint32_t> GlyphIndex;
  int32_t LineHeight = 0;                          // height of the tallest glyph box
  int32_t BaselineShift = 0;                       // subtracted from every Y text is drawn at
  uint8_t PadLeft = 0;
  uint8_t PadTop = 0;
  uint8_t PadRight = 0;
  uint8_t PadBottom = 0;
  engTFont* Prev = nullptr;
  engTFont* Next = nullptr;

  const engTGlyph* Glyph(uint32_t code) const {
    uint32_t slot = code < GlyphIndex.size() ? GlyphIndex[code] : 0;
    return slot != 0 ? &GlyphStore[slot - 1] : nullptr;
  }
};

// Alignment flags of Text_Draw.
constexpr uint32_t TextCentreX = 2;
constexpr uint32_t TextRight = 4;
constexpr uint32_t TextCentreY = 32;
constexpr uint32_t TextBottom = 64;

// Reads a font description into the font manager; logs "Cannot read " + name or
// name + " - it's not a Tessera font info file" and returns null on failure. Glyph codes above
// 65535 are skipped; a record cut short by the end of the file ends the glyph list.
engTFont* Font_Load(const std::string& fileName);
// The same from bytes in memory (the fuzz target); `name` is used in log lines.
engTFont* Font_LoadFromMemory(const uint8_t* data, size_t size, const std::string& name);
// Unlinks and frees a font; null does nothing.
void Font_Delete(engTFont* font);
uint32_t FontCount();
// Frees every font (shut-down).
void FontsFreeAll();

// Draws one line with the current text state; flags align it (see above).
void Text_Draw(const engTFont* font, float x, float y, std::string_view text, uint32_t flags);
// Sets colour (24-bit, red in the low byte), alpha, scale and step, draws, then restores colour
// and alpha to 255, scale to 1 and step to 0.
void Text_DrawStyled(const engTFont* font, float x, float y, float scale, float step,
                     std::string_view text, uint8_t alpha, uint32_t colour, uint32_t flags);
// The unscaled width in pixels: the first glyph's offset X plus every glyph's advance + step.
float Text_Width(const engTFont* font, std::string_view text, float step);
// The character code at the 1-based position and the position of the next character:
// 0..127 as they are, 192..255 to 1040..1103 (Windows-1251 Cyrillic), 128..191 to 0.
uint32_t Text_NextChar(std::string_view text, size_t position, size_t* next);
// The decoder slot Text_NextChar calls; null puts the Windows-1251 decoder back.
using TextDecoder = uint32_t (*)(std::string_view text, size_t position, size_t* next);
void Text_SetDecoder(TextDecoder decoder);

// The text state.
struct TextState {
  uint8_t R = 255, G = 255, B = 255, A = 255;
  float Scale = 1.0f;
  float Step = 0.0f;
};
TextState& Text();

// Back to the state at process start, freeing every font (tests).
void FontReset();

}  // namespace eng
