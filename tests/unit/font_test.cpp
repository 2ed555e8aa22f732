// Font descriptions: loading, the glyph table, character decoding and text width.
#include "engine/font.h"

#include <gtest/gtest.h>

#include "engine/log.h"
#include "tests/support/font_builder.h"

namespace {

using testsupport::BuildFont;
using testsupport::TestGlyph;

const uint8_t kNoPadding[4] = {0, 0, 0, 0};

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override { eng::FontReset(); }
  void TearDown() override { eng::FontReset(); }
  static eng::engTFont* Load(const std::vector<uint8_t>& bytes) {
    return eng::Font_LoadFromMemory(bytes.data(), bytes.size(), "test.tfi");
  }
};

TEST_F(FontTest, ReadsHeaderAndGlyphRecords) {
  const uint8_t pad[4] = {1, 2, 3, 4};
  TestGlyph a{65, 0x10002, 5, 7, -1, 2, 6, {0.1f, 0.9f, 0.2f, 0.9f, 0.2f, 0.8f, 0.1f, 0.8f}};
  eng::engTFont* f = Load(BuildFont(3, 14, 2, pad, {a}));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->PageCount, 3);
  EXPECT_EQ(f->Pages.size(), 3u);
  EXPECT_EQ(f->LineHeight, 14);
  EXPECT_EQ(f->BaselineShift, 2);
  EXPECT_EQ(f->PadLeft, 1);
  EXPECT_EQ(f->PadBottom, 4);
  const eng::engTGlyph* g = f->Glyph(65);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Page, 2) << "only the low 16 bits of the page are kept";
  EXPECT_EQ(g->Width, 5);
  EXPECT_EQ(g->OffsetX, -1);
  EXPECT_EQ(g->Advance, 6);
  EXPECT_FLOAT_EQ(g->TexCoords[5], 0.8f);
  EXPECT_EQ(f->Glyph(66), nullptr);
  EXPECT_EQ(eng::FontCount(), 1u);
}

TEST_F(FontTest, ForeignFilesAndTruncation) {
  std::vector<uint8_t> bad = {'T', 'E', 'S', 'S', 'E', 'R', 'A', '_', 'G', 'L', 'Y', 'P', 'X'};
  EXPECT_EQ(Load(bad), nullptr);
  EXPECT_EQ(eng::Font_LoadFromMemory(bad.data(), 5, "short"), nullptr);
  EXPECT_EQ(eng::FontCount(), 0u);

  // Two glyphs declared, the second record cut short: the first survives, the second is dropped.
  std::vector<uint8_t> bytes = BuildFont(1, 10, 0, kNoPadding, {{65, 0, 1, 1, 0, 0, 1}, {66, 0, 1, 1, 0, 0, 1}});
  bytes.resize(bytes.size() - 10);
  eng::engTFont* f = Load(bytes);
  ASSERT_NE(f, nullptr);
  EXPECT_NE(f->Glyph(65), nullptr);
  EXPECT_EQ(f->Glyph(66), nullptr);

  // A count far above the records present reads what is there.
  f = Load(BuildFont(1, 10, 0, kNoPadding, {{67, 0, 1, 1, 0, 0, 1}}, 65535));
  ASSERT_NE(f, nullptr);
  EXPECT_NE(f->Glyph(67), nullptr);
}

TEST_F(FontTest, CodesBeyondTheTableAreSkippedAndLaterRecordsReplace) {
  eng::engTFont* f = Load(BuildFont(1, 10, 0, kNoPadding,
                                    {{65536, 0, 1, 1, 0, 0, 9}, {0x41, 0, 1, 1, 0, 0, 3}, {0x41, 0, 2, 2, 0, 0, 4}}));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Glyph(0), nullptr) << "65536 must not wrap onto code 0";
  ASSERT_NE(f->Glyph(0x41), nullptr);
  EXPECT_EQ(f->Glyph(0x41)->Advance, 4);
}

TEST(TextNextChar, Windows1251Decoding) {
  const std::string text = "A\xC0\xFF\x80\xBF\x7F";
  size_t next = 0;
  EXPECT_EQ(eng::Text_NextChar(text, 1, &next), 65u);
  EXPECT_EQ(next, 2u);
  EXPECT_EQ(eng::Text_NextChar(text, 2, &next), 0x410u);  // А
  EXPECT_EQ(eng::Text_NextChar(text, 3, &next), 0x44Fu);  // я
  EXPECT_EQ(eng::Text_NextChar(text, 4, &next), 0u);
  EXPECT_EQ(eng::Text_NextChar(text, 5, &next), 0u);
  EXPECT_EQ(eng::Text_NextChar(text, 6, &next), 127u);
  EXPECT_EQ(next, 7u);
}

TEST_F(FontTest, WidthStartsWithTheFirstOffsetAndAddsAdvancePlusStep) {
  eng::engTFont* f = Load(BuildFont(1, 10, 0, kNoPadding,
                                    {{'A', 0, 5, 7, 2, 0, 6}, {'B', 0, 5, 7, -1, 0, 7}, {0, 0, 3, 3, 0, 0, 4}}));
  ASSERT_NE(f, nullptr);
  EXPECT_FLOAT_EQ(eng::Text_Width(f, "", 0), 0.0f);
  EXPECT_FLOAT_EQ(eng::Text_Width(nullptr, "A", 0), 0.0f);
  EXPECT_FLOAT_EQ(eng::Text_Width(f, "AB", 0), 2 + 6 + 7);
  EXPECT_FLOAT_EQ(eng::Text_Width(f, "BA", 1.5f), -1 + 7 + 1.5f + 6 + 1.5f);
  EXPECT_FLOAT_EQ(eng::Text_Width(f, "AzB", 0), 2 + 6 + 7) << "characters without a glyph add nothing";
  EXPECT_FLOAT_EQ(eng::Text_Width(f, "A\x90", 0), 2 + 6 + 4) << "bytes 128..191 use the glyph for code 0";
  EXPECT_FLOAT_EQ(eng::Text_Width(f, "zA", 0), 6) << "no offset when the first character has no glyph";
}

}  // namespace
