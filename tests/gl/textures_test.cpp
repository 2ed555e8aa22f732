// Textures in a real GL context: the placeholder, padding and sizes under the game's two flag
// sets, the colour key, the filter table, internal formats and the texture list, read back from
// GL; and a textured quad drawn the right way up.
#include "engine/textures.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/image_write.h"
#include "engine/main.h"
#include "engine/opengl.h"
#include "engine/screen.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

GLint TexParameter(const eng::TTexture* t, GLenum name) {
  GLint value = -1;
  glBindTexture(GL_TEXTURE_2D, t->ID);
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  glBindTexture(GL_TEXTURE_2D, 0);
  return value;
}

GLint LevelParameter(const eng::TTexture* t, GLint level, GLenum name) {
  GLint value = -1;
  glBindTexture(GL_TEXTURE_2D, t->ID);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
  glBindTexture(GL_TEXTURE_2D, 0);
  return value;
}

// Level 0 as RGBA, first row = V 0.
Bytes Texels(const eng::TTexture* t) {
  GLint w = LevelParameter(t, 0, GL_TEXTURE_WIDTH);
  GLint h = LevelParameter(t, 0, GL_TEXTURE_HEIGHT);
  Bytes out(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  glBindTexture(GL_TEXTURE_2D, t->ID);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return out;
}

Bytes TexelAt(const Bytes& texels, int width, int x, int y) {
  auto at = texels.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 4;
  return Bytes(at, at + 4);
}

class TextureGl : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    eng::TexturesReset();
    eng::RegisterImageReaders();
    dir_ = testsupport::ScratchDir();
  }
  void TearDown() override { eng::TexturesReset(); }

  // A width x height picture, bottom row first: R = x, G = y, B = 200, A = 255.
  static Bytes Gradient(int width, int height) {
    Bytes rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
        p[0] = static_cast<uint8_t>(x);
        p[1] = static_cast<uint8_t>(y);
        p[2] = 200;
        p[3] = 255;
      }
    return rgba;
  }
  std::string WritePng(const std::string& name, int width, int height, const Bytes& rgba) {
    std::string path = (dir_ / name).string();
    EXPECT_TRUE(eng::WritePng(path, width, height, rgba.data(), true, nullptr));
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(TextureGl, AFileThatCannotBeReadGivesTheWhitePlaceholder) {
  for (std::string name : {"missing.png", "texture.jpeg"}) {
    if (name == "texture.jpeg") testsupport::WriteBytes(dir_ / name, {1, 2, 3});
    eng::TTexture* t = eng::TextureLoadFromFile((dir_ / name).string(), eng::NoColourKey, eng::WorldTextureFlags);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Width, 4);
    EXPECT_EQ(t->Height, 4);
    EXPECT_EQ(t->Flags, eng::InterfaceTextureFlags);
    EXPECT_FLOAT_EQ(t->U, 1.0f);
    EXPECT_EQ(LevelParameter(t, 0, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(Texels(t), Bytes(4 * 4 * 4, 255));
  }
  EXPECT_EQ(eng::TextureCount(), 2u);
}

TEST_F(TextureGl, InterfaceFlagsPadA100By50ImageTo128By64) {
  Bytes picture = Gradient(100, 50);
  eng::TTexture* t = eng::TextureLoadFromFile(WritePng("ui.png", 100, 50, picture), eng::NoColourKey,
                                              eng::InterfaceTextureFlags);
  EXPECT_EQ(eng::TextureCount(), 1u);  // the placeholder went again
  EXPECT_EQ(t->Width, 100);
  EXPECT_EQ(t->Height, 50);
  EXPECT_FLOAT_EQ(t->U, 0.78125f);
  EXPECT_FLOAT_EQ(t->V, 0.78125f);
  EXPECT_EQ(t->FramesX, 1);
  EXPECT_EQ(t->FramesY, 1);
  EXPECT_EQ(t->Flags, eng::InterfaceTextureFlags);
  EXPECT_EQ(LevelParameter(t, 0, GL_TEXTURE_WIDTH), 128);
  EXPECT_EQ(LevelParameter(t, 0, GL_TEXTURE_HEIGHT), 64);
  Bytes texels = Texels(t);
  EXPECT_EQ(TexelAt(texels, 128, 0, 0), (Bytes{0, 0, 200, 255}));      // the picture's bottom left
  EXPECT_EQ(TexelAt(texels, 128, 99, 49), (Bytes{99, 49, 200, 255}));  // its top right
  EXPECT_EQ(TexelAt(texels, 128, 100, 0), (Bytes{0, 0, 0, 0}));        // padding
  EXPECT_EQ(TexelAt(texels, 128, 0, 50), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(TexelAt(texels, 128, 127, 63), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(TextureGl, WorldFlagsKeepTheSizeAndBuildMipmaps) {
  Bytes picture = Gradient(100, 50);
  eng::TTexture* t = eng::TextureLoadFromFile(WritePng("world.png", 100, 50, picture), eng::NoColourKey,
                                              eng::WorldTextureFlags);
  EXPECT_EQ(t->Width, 100);
  EXPECT_EQ(t->Height, 50);
  EXPECT_FLOAT_EQ(t->U, 1.0f);
  EXPECT_FLOAT_EQ(t->V, 1.0f);
  // GLU rescales to powers of two and builds the whole chain.
  GLint w = LevelParameter(t, 0, GL_TEXTURE_WIDTH);
  GLint h = LevelParameter(t, 0, GL_TEXTURE_HEIGHT);
  EXPECT_EQ(w & (w - 1), 0) << w;
  EXPECT_EQ(h & (h - 1), 0) << h;
  EXPECT_GT(LevelParameter(t, 1, GL_TEXTURE_WIDTH), 0);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  float maxAnisotropy = eng::GL().Caps.MaxAnisotropy;
  if (maxAnisotropy >= 1.0f) {
    GLfloat level = 0;
    glBindTexture(GL_TEXTURE_2D, t->ID);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_FLOAT_EQ(level, maxAnisotropy);
  }
}

TEST_F(TextureGl, ColourKeyTakesTheLastOpaqueNeighbourInOrder) {
  // 3 x 3 in memory order; pixel 4 is transparent, i + W (7) is blue and i - 1 (3) is red.
  Bytes image(9 * 4, 0);
  const uint8_t red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 255}, hidden[4] = {90, 90, 90, 0};
  std::memcpy(&image[3 * 4], red, 4);
  std::memcpy(&image[4 * 4], hidden, 4);
  std::memcpy(&image[7 * 4], blue, 4);
  std::string path = (dir_ / "key.tga").string();
  ASSERT_TRUE(eng::WriteBytesToFile(path, eng::EncodeTga(3, 3, image.data(), true), nullptr));
  eng::TTexture* t = eng::TextureLoadFromFile(path, eng::NoColourKey, eng::TexFilterNearest);
  Bytes texels = Texels(t);
  EXPECT_EQ(TexelAt(texels, 3, 1, 1), (Bytes{255, 0, 0, 0}));
  EXPECT_EQ(TexelAt(texels, 3, 1, 2), (Bytes{0, 0, 255, 255}));

  // With TexRGB no key is applied and alpha is dropped.
  eng::TTexture* rgb = eng::TextureLoadFromFile(path, eng::NoColourKey, eng::TexRGB);
  EXPECT_EQ(LevelParameter(rgb, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
  texels = Texels(rgb);
  EXPECT_EQ(TexelAt(texels, 3, 1, 1), (Bytes{90, 90, 90, 255}));
  EXPECT_EQ(TexelAt(texels, 3, 2, 2), (Bytes{0, 0, 0, 255}));  // rows of 9 bytes stay in step
}

TEST_F(TextureGl, FilterTable) {
  using namespace eng;
  struct Row {
    uint32_t flags;
    GLint min, mag, wrap;
  };
  const Row rows[] = {
      {0, GL_NEAREST, GL_NEAREST, GL_REPEAT},
      {TexFilterLinear, GL_LINEAR, GL_LINEAR, GL_REPEAT},
      {TexFilterTrilinear, GL_LINEAR, GL_LINEAR, GL_REPEAT},
      {TexFilterAnisotropic, GL_LINEAR, GL_LINEAR, GL_REPEAT},
      {TexFilterNearest | TexFilterLinear, GL_NEAREST, GL_NEAREST, GL_REPEAT},
      {TexMipmap | TexFilterNearest | TexFilterLinear, GL_NEAREST, GL_NEAREST, GL_REPEAT},
      {TexMipmap | TexFilterLinear | TexFilterTrilinear, GL_LINEAR, GL_LINEAR, GL_REPEAT},
      {TexMipmap | TexFilterBilinear, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_REPEAT},
      {TexMipmap | TexFilterBilinear | TexFilterTrilinear, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_REPEAT},
      {TexMipmap | TexFilterTrilinear, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT},
      {TexMipmap | TexFilterAnisotropic, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT},
      {TexMipmap, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT},  // GL's defaults
      {TexClamp, GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE},
      {TexClamp | TexRepeat, GL_NEAREST, GL_NEAREST, GL_REPEAT},
  };
  for (const Row& row : rows) {
    TTexture* t = TextureCreateBlank(2, 2, 0xFFFFFFFF, row.flags);
    EXPECT_EQ(TexParameter(t, GL_TEXTURE_MIN_FILTER), row.min) << std::hex << row.flags;
    EXPECT_EQ(TexParameter(t, GL_TEXTURE_MAG_FILTER), row.mag) << std::hex << row.flags;
    EXPECT_EQ(TexParameter(t, GL_TEXTURE_WRAP_S), row.wrap) << std::hex << row.flags;
    EXPECT_EQ(TexParameter(t, GL_TEXTURE_WRAP_T), row.wrap) << std::hex << row.flags;
    TextureDelete(t);
  }
  // Setting the filter later stores the new flags and changes the parameters.
  TTexture* t = TextureCreateBlank(2, 2, 0xFFFFFFFF, 0);
  TextureSetFilter(t, TexClamp | TexFilterLinear);
  EXPECT_EQ(t->Flags, TexClamp | TexFilterLinear);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(TexParameter(t, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

TEST_F(TextureGl, BlankTexturesHoldTheColourBytesInMemoryOrder) {
  eng::TTexture* t = eng::TextureCreateBlank(3, 2, 0x80402010, 0);
  EXPECT_EQ(t->Width, 3);
  Bytes texels = Texels(t);
  for (size_t i = 0; i < texels.size(); i += 4)
    ASSERT_EQ(Bytes(texels.begin() + static_cast<std::ptrdiff_t>(i), texels.begin() + static_cast<std::ptrdiff_t>(i + 4)),
              (Bytes{0x10, 0x20, 0x40, 0x80}));
}

TEST_F(TextureGl, InternalFormatFollowsTheColourDepthAndCompression) {
  eng::ScreenState& screen = eng::Screen();
  int savedBpp = screen.BPP;
  const std::pair<int, GLint> depths[] = {{32, GL_RGBA}, {16, GL_RGBA16}, {24, GL_RGBA8}};
  for (auto [bpp, format] : depths) {
    screen.BPP = bpp;
    eng::TTexture* t = eng::TextureCreateBlank(2, 2, 0xFFFFFFFF, 0);
    EXPECT_EQ(LevelParameter(t, 0, GL_TEXTURE_INTERNAL_FORMAT), format) << bpp;
    eng::TextureDelete(t);
  }
  screen.BPP = 16;
  eng::TTexture* rgb16 = eng::TextureCreateBlank(2, 2, 0xFFFFFFFF, eng::TexRGB);
  EXPECT_EQ(LevelParameter(rgb16, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB16);
  screen.BPP = savedBpp;

  // Compression is asked for only when the driver offers it; otherwise the flag is dropped.
  eng::GLCaps& caps = eng::GL().Caps;
  bool saved = caps.TextureCompression;
  caps.TextureCompression = false;
  eng::TTexture* plain = eng::TextureCreateBlank(4, 4, 0xFFFFFFFF, eng::TexCompress);
  EXPECT_EQ(plain->Flags, 0u);
  caps.TextureCompression = saved;
  if (saved) {
    eng::TTexture* packed = eng::TextureCreateBlank(4, 4, 0xFFFFFFFF, eng::TexCompress | eng::TexFilterLinear);
    EXPECT_EQ(packed->Flags, eng::TexCompress | eng::TexFilterLinear);
    EXPECT_EQ(TexParameter(packed, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  }
}

TEST_F(TextureGl, TheListCountsDeletesAndFreesEverything) {
  eng::TTexture* a = eng::TextureCreateBlank(1, 1, 0xFFFFFFFF, 0);
  eng::TTexture* b = eng::TextureCreateBlank(1, 1, 0xFFFFFFFF, 0);
  eng::TTexture* c = eng::TextureCreateBlank(1, 1, 0xFFFFFFFF, 0);
  EXPECT_EQ(eng::TextureCount(), 3u);
  GLuint nameB = b->ID;
  EXPECT_TRUE(glIsTexture(nameB));
  eng::TextureDelete(b);
  eng::TextureDelete(nullptr);
  EXPECT_EQ(eng::TextureCount(), 2u);
  EXPECT_FALSE(glIsTexture(nameB));
  EXPECT_EQ(a->Next, c);
  EXPECT_EQ(c->Prev, a);
  GLuint nameC = c->ID;
  eng::TexturesFreeAll();
  EXPECT_EQ(eng::TextureCount(), 0u);
  EXPECT_FALSE(glIsTexture(nameC));
}

TEST_F(TextureGl, APaddedTextureDrawsTheRightWayUp) {
  // 100 x 50: the top half red, the bottom half blue, one green pixel in the top-left corner.
  Bytes picture(100 * 50 * 4);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) {
      uint8_t* p = &picture[(static_cast<size_t>(y) * 100 + static_cast<size_t>(x)) * 4];
      bool top = y >= 25;  // rows are bottom first
      p[0] = top ? 255 : 0;
      p[2] = top ? 0 : 255;
      p[3] = 255;
    }
  uint8_t* corner = &picture[(49 * 100) * 4];
  corner[0] = 0;
  corner[1] = 255;
  eng::TTexture* t = eng::TextureLoadFromFile(WritePng("quad.png", 100, 50, picture), eng::NoColourKey,
                                              eng::TexClamp | eng::TexPowerOfTwo | eng::TexFilterNearest);
  Clear();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, t->ID);
  glColor4f(1, 1, 1, 1);
  // 2D mode: y grows downward; the picture's top (V = t->V) goes to the top of the quad.
  glBegin(GL_QUADS);
  glTexCoord2f(0, t->V);
  glVertex2f(10, 10);
  glTexCoord2f(t->U, t->V);
  glVertex2f(110, 10);
  glTexCoord2f(t->U, 0);
  glVertex2f(110, 60);
  glTexCoord2f(0, 0);
  glVertex2f(10, 60);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  Bytes screen = ReadPixels();
  EXPECT_EQ(PixelAt(screen, 10, 10) & 0xFFFFFF, 0x00FF00u);  // green corner, top left
  EXPECT_EQ(PixelAt(screen, 60, 20) & 0xFFFFFF, 0x0000FFu);  // red (R in the low byte)
  EXPECT_EQ(PixelAt(screen, 60, 50) & 0xFFFFFF, 0xFF0000u);  // blue
  EXPECT_EQ(PixelAt(screen, 109, 59) & 0xFFFFFF, 0xFF0000u);  // no padding shows
  EXPECT_EQ(PixelAt(screen, 111, 30) & 0xFFFFFF, 0u);
}

}  // namespace
