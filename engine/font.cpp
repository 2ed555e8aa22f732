// Bitmap fonts and text.
#include "engine/font.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/data_file.h"
#include "engine/log.h"

namespace eng {

namespace {

constexpr char kMagic[] = "TESSERA_GLYPH";
constexpr size_t kMagicSize = 13;
constexpr size_t kHeaderSize = 29;
constexpr size_t kGlyphRecordSize = 54;
constexpr size_t kGlyphTableSize = 65536;

uint32_t DecodeWindows1251(std::string_view text, size_t position, size_t* next) {
  *next = position + 1;
  if (position < 1 || position > text.size()) return 0;
  uint8_t byte = static_cast<uint8_t>(text[position - 1]);
  if (byte < 128) return byte;
  if (byte >= 192) return byte + 848u;
  return 0;
}

struct FontState {
  engTFont head;  // list anchor
  uint32_t count = 0;
  TextState text;
  TextDecoder decoder = DecodeWindows1251;
};

FontState g_fonts;

// Little-endian reads from a byte range that the caller has bounds-checked.
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }
float F32(const uint8_t* p) {
  uint32_t bits = U32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Links a font read in full into the manager's list (a read cut short by a lack of memory never
// reaches the list).
engTFont* AppendFont(std::unique_ptr<engTFont> owned) {
  engTFont* font = owned.release();
  engTFont* last = &g_fonts.head;
  while (last->Next) last = last->Next;
  last->Next = font;
  font->Prev = last;
  ++g_fonts.count;
  return font;
}

// Rounds to the nearest integer, halves to even.
float RoundEven(float v) { return static_cast<float>(std::nearbyint(static_cast<double>(v))); }

}  // namespace

engTFont* Font_Load(const std::string& fileName) {
  std::vector<uint8_t> bytes;
  DataFileResult read = ReadDataFile(fileName, MaxDataFileBytes, &bytes);
  if (read.Status != DataFileStatus::Ok) {
    if (read.Status != DataFileStatus::Missing) LogAdd(fileName + " " + read.Reason);
    LogAdd("Cannot read " + fileName);
    return nullptr;
  }
  try {
    return Font_LoadFromMemory(bytes.data(), bytes.size(), fileName);
  } catch (const std::bad_alloc&) {
    LogAdd("Not enough memory to load " + fileName);
    return nullptr;
  }
}

engTFont* Font_LoadFromMemory(const uint8_t* data, size_t size, const std::string& name) {
  if (size < kMagicSize || std::memcmp(data, kMagic, kMagicSize) != 0) {
    LogAdd(name + " - it's not a Tessera font info file");
    return nullptr;
  }
  // A header cut short reads as zeros, like every engine read past the end of a file.
  uint8_t header[kHeaderSize] = {};
  std::memcpy(header, data, size < kHeaderSize ? size : kHeaderSize);
  auto font = std::make_unique<engTFont>();
  font->PageCount = U16(header + 13);
  font->GlyphCount = U16(header + 15);
  font->LineHeight = I32(header + 17);
  font->BaselineShift = I32(header + 21);
  font->PadLeft = header[25];
  font->PadTop = header[26];
  font->PadRight = header[27];
  font->PadBottom = header[28];
  font->Pages.assign(font->PageCount, nullptr);

  // Records are read twice: once for the largest code, so the table is sized once, then for the
  // glyphs. A record cut short by the end of the data ends the list.
  size_t records = std::min<size_t>(font->GlyphCount, size < kHeaderSize ? 0 : (size - kHeaderSize) / kGlyphRecordSize);
  uint32_t largest = 0;
  bool any = false;
  for (size_t i = 0; i < records; ++i) {
    uint32_t code = U32(data + kHeaderSize + i * kGlyphRecordSize);
    if (code < kGlyphTableSize && (!any || code > largest)) largest = code;
    any = any || code < kGlyphTableSize;
  }
  if (any) font->GlyphIndex.assign(static_cast<size_t>(largest) + 1, 0);
  font->GlyphStore.reserve(records);
  for (size_t i = 0; i < records; ++i) {
    const uint8_t* r = data + kHeaderSize + i * kGlyphRecordSize;
    uint32_t code = U32(r);
    if (code >= kGlyphTableSize) continue;  // outside the table: the glyph cannot be addressed
    engTGlyph glyph;
    glyph.Page = static_cast<uint16_t>(U32(r + 4) & 0xFFFF);
    glyph.Width = r[8];
    glyph.Height = r[9];
    glyph.OffsetX = I32(r + 10);
    glyph.OffsetY = I32(r + 14);
    glyph.Advance = I32(r + 18);
    for (int k = 0; k < 8; ++k) glyph.TexCoords[static_cast<size_t>(k)] = F32(r + 22 + 4 * k);
    uint32_t& slot = font->GlyphIndex[code];
    if (slot != 0) {
      font->GlyphStore[slot - 1] = glyph;  // a later record with the same code replaces it
    } else {
      font->GlyphStore.push_back(glyph);
      slot = static_cast<uint32_t>(font->GlyphStore.size());
    }
  }
  return AppendFont(std::move(font));
}

void Font_Delete(engTFont* font) {
  if (!font) return;
  if (font->Prev) font->Prev->Next = font->Next;
  if (font->Next) font->Next->Prev = font->Prev;
  delete font;
  --g_fonts.count;
}

uint32_t FontCount() { return g_fonts.count; }

void FontsFreeAll() {
  while (g_fonts.head.Next) Font_Delete(g_fonts.head.Next);
}

uint32_t Text_NextChar(std::string_view text, size_t position, size_t* next) {
  return g_fonts.decoder(text, position, next);
}

void Text_SetDecoder(TextDecoder decoder) { g_fonts.decoder = decoder ? decoder : DecodeWindows1251; }

float Text_Width(const engTFont* font, std::string_view text, float step) {
  if (!font || text.empty()) return 0.0f;
  size_t next = 0;
  const engTGlyph* first = font->Glyph(Text_NextChar(text, 1, &next));
  float width = first ? static_cast<float>(first->OffsetX) : 0.0f;
  for (size_t pos = 1; pos <= text.size(); pos = next) {
    const engTGlyph* g = font->Glyph(Text_NextChar(text, pos, &next));
    if (g) width += static_cast<float>(g->Advance) + step;
  }
  return width;
}

void Text_Draw(const engTFont* font, float x, float y, std::string_view text, uint32_t flags) {
  if (!font || text.empty()) return;
  const TextState& ts = g_fonts.text;
  const float s = ts.Scale;
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glColor4ub(ts.R, ts.G, ts.B, ts.A);

  y -= static_cast<float>(font->BaselineShift);
  if (flags & TextCentreX)
    x -= RoundEven(Text_Width(font, text, ts.Step) / 2.0f) * s;
  else if (flags & TextRight)
    x -= RoundEven(Text_Width(font, text, ts.Step)) * s;
  if (flags & TextCentreY)
    y -= static_cast<float>(font->LineHeight / 2) * s;
  else if (flags & TextBottom)
    y -= static_cast<float>(font->LineHeight) * s;

  auto pageTexture = [&](uint16_t page) -> const TTexture* {
    return page < font->Pages.size() ? font->Pages[page] : nullptr;
  };
  size_t next = 0;
  const engTGlyph* first = font->Glyph(Text_NextChar(text, 1, &next));
  int boundPage = -1;
  if (first) {
    boundPage = first->Page;
    const TTexture* t = pageTexture(first->Page);
    glBindTexture(GL_TEXTURE_2D, t ? t->ID : 0);
  }
  glBegin(GL_QUADS);
  const float lh = static_cast<float>(font->LineHeight);
  for (size_t pos = 1; pos <= text.size(); pos = next) {
    const engTGlyph* g = font->Glyph(Text_NextChar(text, pos, &next));
    if (!g) continue;
    if (g->Page != boundPage) {
      glEnd();
      boundPage = g->Page;
      const TTexture* t = pageTexture(g->Page);
      glBindTexture(GL_TEXTURE_2D, t ? t->ID : 0);
      glBegin(GL_QUADS);
    }
    // A glyph on a page its owner never filled has nothing to show; the pen still moves.
    if (pageTexture(g->Page)) {
      float left = x + (static_cast<float>(g->OffsetX) - font->PadLeft) * s;
      float right = x + (static_cast<float>(g->OffsetX + g->Width) + font->PadRight) * s;
      float top = y + (lh - g->Height + static_cast<float>(g->OffsetY) - font->PadTop) * s;
      float bottom = y + (lh + static_cast<float>(g->OffsetY) + font->PadBottom) * s;
      const auto& tc = g->TexCoords;
      glTexCoord2f(tc[0], tc[1]);
      glVertex2f(left, top);
      glTexCoord2f(tc[2], tc[3]);
      glVertex2f(right, top);
      glTexCoord2f(tc[4], tc[5]);
      glVertex2f(right, bottom);
      glTexCoord2f(tc[6], tc[7]);
      glVertex2f(left, bottom);
    }
    x += (static_cast<float>(g->Advance) + ts.Step) * s;
  }
  glEnd();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void Text_DrawStyled(const engTFont* font, float x, float y, float scale, float step,
                     std::string_view text, uint8_t alpha, uint32_t colour, uint32_t flags) {
  TextState& ts = g_fonts.text;
  ts.R = static_cast<uint8_t>(colour & 0xFF);
  ts.G = static_cast<uint8_t>((colour >> 8) & 0xFF);
  ts.B = static_cast<uint8_t>((colour >> 16) & 0xFF);
  ts.A = alpha;
  ts.Scale = scale;
  ts.Step = step;
  Text_Draw(font, x, y, text, flags);
  ts = TextState{};
}

TextState& Text() { return g_fonts.text; }

void FontReset() {
  FontsFreeAll();
  g_fonts.text = TextState{};
  g_fonts.decoder = DecodeWindows1251;
}

}  // namespace eng
