// 2D drawing and text on the virtual display, read back pixel by pixel.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "engine/draw2d.h"
#include "engine/font.h"
#include "engine/main.h"
#include "engine/opengl.h"
#include "tests/support/font_builder.h"
#include "tests/support/gl_fixture.h"

namespace {

using testsupport::RawTexture;

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

class Draw2DTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    eng::SetMode2D();
    eng::Draw2DReset();
    Clear();
  }
  static bool Lit(const std::vector<uint8_t>& px, int x, int y) { return (PixelAt(px, x, y) & 0xFFFFFF) != 0; }
};

TEST_F(Draw2DTest, RectangleOutlineRunsThroughEdgePixelCentres) {
  eng::Rect_Draw(10, 20, 30, 40, kWhite, 255, 0);
  auto px = ReadPixels();
  for (int y = 22; y < 58; ++y) {
    EXPECT_TRUE(Lit(px, 10, y)) << y;
    EXPECT_TRUE(Lit(px, 39, y)) << y;
    EXPECT_FALSE(Lit(px, 9, y)) << y;
    EXPECT_FALSE(Lit(px, 40, y)) << y;
    EXPECT_FALSE(Lit(px, 11, y)) << y;
  }
  for (int x = 12; x < 38; ++x) {
    EXPECT_TRUE(Lit(px, x, 20)) << x;
    EXPECT_TRUE(Lit(px, x, 59)) << x;
    EXPECT_FALSE(Lit(px, x, 19)) << x;
    EXPECT_FALSE(Lit(px, x, 60)) << x;
  }
}

TEST_F(Draw2DTest, FilledRectangleCoversExactlyItsPixels) {
  eng::Rect_Draw(100, 50, 8, 4, kRed, 255, eng::RectFill);
  auto px = ReadPixels();
  EXPECT_EQ(PixelAt(px, 100, 50) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(PixelAt(px, 107, 53) & 0xFFFFFF, 0x0000FFu);
  EXPECT_FALSE(Lit(px, 99, 50));
  EXPECT_FALSE(Lit(px, 108, 50));
  EXPECT_FALSE(Lit(px, 100, 54));
}

TEST_F(Draw2DTest, HorizontalLineGoesThroughItsRowsCentres) {
  eng::Line_Draw(10, 100, 50, 100, kWhite, 255, 0);
  auto px = ReadPixels();
  for (int x = 11; x < 49; ++x) {
    EXPECT_TRUE(Lit(px, x, 100)) << x;
    EXPECT_FALSE(Lit(px, x, 99)) << x;
    EXPECT_FALSE(Lit(px, x, 101)) << x;
  }
  EXPECT_FALSE(Lit(px, 9, 100));
  EXPECT_FALSE(Lit(px, 50, 100)) << "the far end is pulled half a pixel inwards";
}

TEST_F(Draw2DTest, SpriteBlendingAlphaTestAndMirroring) {
  // 2 x 1 texture: left texel red and half transparent, right texel blue and opaque.
  RawTexture t(2, 1, {255, 0, 0, 128, 0, 0, 255, 255});
  eng::Sprite_Draw(&t.tex, 200, 200, 20, 10, 0, 255, eng::SpriteBlend);
  eng::Sprite_Draw(&t.tex, 200, 220, 20, 10, 0, 255, 0);
  eng::Sprite_Draw(&t.tex, 200, 240, 20, 10, 0, 255, eng::SpriteBlend | eng::SpriteMirrorX);
  auto px = ReadPixels();
  uint32_t blended = PixelAt(px, 205, 205);
  EXPECT_NEAR(static_cast<int>(blended & 0xFF), 128, 2) << "half red over black";
  EXPECT_EQ(PixelAt(px, 215, 205) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(PixelAt(px, 205, 225) & 0xFFFFFF, 0x0000FFu) << "alpha test passes alpha above 0 unblended";
  EXPECT_EQ(PixelAt(px, 205, 245) & 0xFFFFFF, 0xFF0000u) << "mirrored: blue on the left";
  GLboolean blend = GL_TRUE, alphaTest = GL_TRUE, texturing = GL_TRUE;
  glGetBooleanv(GL_BLEND, &blend);
  glGetBooleanv(GL_ALPHA_TEST, &alphaTest);
  glGetBooleanv(GL_TEXTURE_2D, &texturing);
  EXPECT_FALSE(blend || alphaTest || texturing) << "sprites leave the GL state as they found it";
}

TEST_F(Draw2DTest, SpriteCullingAtTheViewEdges) {
  EXPECT_FALSE(eng::SpriteOutsideView(-20, 10, 20, 10, 0)) << "right edge exactly on the left edge is drawn";
  EXPECT_TRUE(eng::SpriteOutsideView(-20.5f, 10, 20, 10, 0));
  EXPECT_FALSE(eng::SpriteOutsideView(800, 10, 20, 10, 0)) << "left edge exactly on the right edge is drawn";
  EXPECT_TRUE(eng::SpriteOutsideView(800.5f, 10, 20, 10, 0));
  EXPECT_TRUE(eng::SpriteOutsideView(10, 600.5f, 20, 10, 0));
  EXPECT_FALSE(eng::SpriteOutsideView(-25, 10, 20, 10, 45)) << "a turned sprite is tested against a widened view";
  eng::Draw2D().ZoomX = 2.0f;
  EXPECT_FALSE(eng::SpriteOutsideView(100, 100, 20, 20, 0));
  EXPECT_TRUE(eng::SpriteOutsideView(5000, 5000, 20, 20, 0));
}

class TextDrawTest : public Draw2DTest {
 protected:
  void SetUp() override {
    Draw2DTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    eng::FontReset();
    page_ = std::make_unique<RawTexture>(1, 1, std::vector<uint8_t>{255, 255, 255, 255});
  }
  void TearDown() override { eng::FontReset(); }
  eng::engTFont* MakeFont(int32_t width, int32_t lineHeight = 10) {
    const uint8_t pad[4] = {0, 0, 0, 0};
    testsupport::TestGlyph g{'A', 0, static_cast<uint8_t>(width), 6, 0, 0, width};
    auto bytes = testsupport::BuildFont(1, lineHeight, 0, pad, {g});
    eng::engTFont* f = eng::Font_LoadFromMemory(bytes.data(), bytes.size(), "t");
    f->Pages[0] = &page_->tex;
    return f;
  }
  // Left-most and top-most lit pixel.
  static std::pair<int, int> TopLeft(const std::vector<uint8_t>& px) {
    int left = 10000, top = 10000;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        if (Lit(px, x, y)) {
          left = std::min(left, x);
          top = std::min(top, y);
        }
    return {left, top};
  }
  std::unique_ptr<RawTexture> page_;
};

TEST_F(TextDrawTest, CentringRoundsHalvesToEven) {
  eng::Text_Draw(MakeFont(7), 100, 100, "A", eng::TextCentreX);
  EXPECT_EQ(TopLeft(ReadPixels()).first, 96) << "width 7: round(3.5) = 4";
  Clear();
  eng::Text_Draw(MakeFont(5), 100, 100, "A", eng::TextCentreX);
  EXPECT_EQ(TopLeft(ReadPixels()).first, 98) << "width 5: round(2.5) = 2";
}

TEST_F(TextDrawTest, AlignmentFlags) {
  eng::engTFont* f = MakeFont(6, 10);  // glyph 6 high, bottom-aligned on a 10-pixel line
  eng::Text_Draw(f, 100, 100, "AA", 0);
  EXPECT_EQ(TopLeft(ReadPixels()), std::make_pair(100, 104));
  Clear();
  eng::Text_Draw(f, 100, 100, "AA", eng::TextRight);
  EXPECT_EQ(TopLeft(ReadPixels()), std::make_pair(88, 104));
  Clear();
  eng::Text_Draw(f, 100, 100, "AA", eng::TextCentreX | eng::TextCentreY);
  EXPECT_EQ(TopLeft(ReadPixels()), std::make_pair(94, 99));
  Clear();
  eng::Text_Draw(f, 100, 100, "AA", eng::TextBottom | eng::TextRight | eng::TextCentreX);
  EXPECT_EQ(TopLeft(ReadPixels()), std::make_pair(94, 94)) << "2 wins over 4";
}

TEST_F(TextDrawTest, StyledDrawingRestoresTheTextState) {
  eng::engTFont* f = MakeFont(4);
  eng::Text_DrawStyled(f, 50, 50, 2.0f, 1.0f, "A", 200, kRed, 0);
  auto px = ReadPixels();
  uint32_t c = PixelAt(px, 51, 60);
  EXPECT_GT(c & 0xFF, 150u);
  EXPECT_EQ((c >> 8) & 0xFF, 0u);
  EXPECT_TRUE(Lit(px, 57, 60)) << "scale 2 doubles the glyph";
  const eng::TextState& ts = eng::Text();
  EXPECT_EQ(ts.R, 255);
  EXPECT_EQ(ts.A, 255);
  EXPECT_FLOAT_EQ(ts.Scale, 1.0f);
  EXPECT_FLOAT_EQ(ts.Step, 0.0f);
}

}  // namespace
