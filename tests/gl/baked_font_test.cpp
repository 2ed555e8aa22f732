// The baked GUI font drawn through the texture manager: Latin and Cyrillic text lands where its
// width says, and a picture of text and sprites is kept for people to look at.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/draw2d.h"
#include "engine/font.h"
#include "engine/image_write.h"
#include "engine/opengl.h"
#include "engine/textures.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

const std::filesystem::path kGui = std::filesystem::path(TESSERA_GAME_DIR) / "Data" / "GUI";

class BakedFontTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    eng::FontReset();
    eng::SetMode2D();
    Clear();
    font_ = eng::Font_Load((kGui / "font.tfi").string());
    ASSERT_NE(font_, nullptr);
    ASSERT_GE(font_->PageCount, 1);
    font_->Pages[0] = eng::TextureLoadFromFile((kGui / "font.tga").string(), eng::NoColourKey,
                                               eng::InterfaceTextureFlags);
    ASSERT_GT(font_->Pages[0]->Width, 4) << "the page must load, not the placeholder";
  }
  void TearDown() override { eng::FontReset(); }

  // Columns with any lit pixel in rows [top, bottom).
  static std::pair<int, int> LitColumns(const std::vector<uint8_t>& px, int top, int bottom) {
    int left = 10000, right = -1;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < 800; ++x)
        if ((PixelAt(px, x, y) & 0xFF) > 60) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    return {left, right};
  }
  eng::engTFont* font_ = nullptr;
};

TEST_F(BakedFontTest, EveryLetterTheGameNeedsHasAGlyph) {
  for (uint32_t c = 32; c <= 126; ++c) EXPECT_NE(font_->Glyph(c), nullptr) << c;
  for (uint32_t c = 0x410; c <= 0x44F; ++c) EXPECT_NE(font_->Glyph(c), nullptr) << c;
  EXPECT_EQ(font_->Pages[0]->U, 1.0f) << "the page is baked at a power-of-two size";
}

TEST_F(BakedFontTest, CyrillicTextIsDrawnAndMeasured) {
  const std::string text = "\xCF\xF0\xEE\xE1\xE0 \xDF";  // "Проба Я" in Windows-1251
  float width = eng::Text_Width(font_, text, 0);
  EXPECT_GT(width, 30.0f);
  eng::Text_Draw(font_, 100, 100, text, 0);
  auto px = ReadPixels();
  auto [left, right] = LitColumns(px, 95, 125);
  EXPECT_GE(left, 99);
  EXPECT_LE(left, 102);
  EXPECT_NEAR(right, 100 + width, 3.0) << "the ink ends where the width says";
  Clear();
  eng::Text_Draw(font_, 400, 100, text, eng::TextCentreX);
  px = ReadPixels();
  auto centred = LitColumns(px, 95, 125);
  EXPECT_NEAR((centred.first + centred.second) / 2.0, 400.0, 3.0);
}

TEST_F(BakedFontTest, PictureOfTextAndSprites) {
  eng::Rect_Draw(20, 20, 360, 110, 0x303030, 255, eng::RectFill);
  eng::Rect_Draw(20, 20, 360, 110, 0xC0C0C0, 255, 0);
  eng::Text_Draw(font_, 40, 40, "The quick brown fox jumps over 13 lazy dogs.", 0);
  eng::Text_DrawStyled(font_, 200, 80, 1.0f, 0.0f, "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! (centred)", 255,
                       0x40C0FF, eng::TextCentreX | eng::TextCentreY);
  eng::Text_DrawStyled(font_, 370, 120, 1.0f, 0.0f, "right, bottom", 255, 0x8080FF,
                       eng::TextRight | eng::TextBottom);
  eng::Line_Draw(20, 150, 380, 150, 0x00FF00, 255, 0);
  eng::TTexture* cursor = eng::TextureLoadFromFile((kGui / "cursor.tga").string(), eng::NoColourKey,
                                                  eng::InterfaceTextureFlags);
  eng::TTexture* ring = eng::TextureLoadFromFile(
      (std::filesystem::path(TESSERA_GAME_DIR) / "Data" / "Textures" / "select_ring.tga").string(),
      eng::NoColourKey, eng::InterfaceTextureFlags);
  eng::Sprite_Draw(ring, 40, 170, 64, 64, 0, 255, eng::SpriteBlend);
  eng::Sprite_Draw(ring, 120, 170, 64, 64, 30, 160, eng::SpriteBlend);
  eng::Sprite_Draw(cursor, 220, 180, cursor->Width, cursor->Height, 0, 255, eng::SpriteBlend);
  eng::Sprite_Draw(cursor, 260, 180, cursor->Width, cursor->Height, 0, 255, eng::SpriteBlend | eng::SpriteMirrorX);
  eng::Text_DrawStyled(font_, 420, 40, 3.0f, 0.0f, "Ag\xC6\xF4", 255, 0xFFFFFF, 0);
  auto px = ReadPixels();
  for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;  // the picture as the screen shows it
  std::filesystem::path out = std::filesystem::path(TESSERA_BINARY_DIR) / "screenshots";
  std::filesystem::create_directories(out);
  std::string error;
  ASSERT_TRUE(eng::WritePng((out / "text_and_sprites.png").string(), 800, 600, px.data(), true, &error)) << error;
  EXPECT_GT(PixelAt(px, 72, 172) & 0xFF, 0u);
}

}  // namespace
