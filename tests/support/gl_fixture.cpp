// A GL context for rendering tests.
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "engine/application.h"
#include "engine/main.h"
#include "engine/opengl.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/textures.h"
#include "game/core/camera.h"

namespace testsupport {

namespace {

bool g_contextMade = false;
bool g_contextOk = false;

bool MakeContext() {
  if (g_contextMade) return g_contextOk;
  g_contextMade = true;
  eng::platform::SetHeadless(true);
  eng::DisableFeature(eng::FeatureLog);
  if (!eng::platform::Init()) return false;
  eng::ScreenReadDesktop();
  eng::App().Initialised = true;
  eng::GL().FSAA = 0;
  g_contextOk = eng::GLCreateContext();
  eng::TexturesReset();
  eng::RegisterImageReaders();
  if (g_contextOk) eng::SetMode2D();
  return g_contextOk;
}

}  // namespace

void GlTest::SetUp() {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display: run the GL tests under xvfb-run";
  ASSERT_TRUE(MakeContext()) << "cannot create a GL context: " << eng::platform::LastError();
}

std::vector<uint8_t> GlTest::ReadPixels() {
  const eng::ScreenState& s = eng::Screen();
  std::vector<uint8_t> pixels(static_cast<size_t>(s.RenderWidth) * static_cast<size_t>(s.RenderHeight) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, s.RenderWidth, s.RenderHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

uint32_t GlTest::PixelAt(const std::vector<uint8_t>& pixels, int x, int y) {
  const eng::ScreenState& s = eng::Screen();
  size_t row = static_cast<size_t>(s.RenderHeight - 1 - y);
  size_t i = (row * static_cast<size_t>(s.RenderWidth) + static_cast<size_t>(x)) * 4;
  return static_cast<uint32_t>(pixels[i]) | (static_cast<uint32_t>(pixels[i + 1]) << 8) |
         (static_cast<uint32_t>(pixels[i + 2]) << 16) | (static_cast<uint32_t>(pixels[i + 3]) << 24);
}

RawTexture::RawTexture(int width, int height, const std::vector<uint8_t>& rgba) {
  glGenTextures(1, &tex.ID);
  glBindTexture(GL_TEXTURE_2D, tex.ID);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  tex.Width = static_cast<uint16_t>(width);
  tex.Height = static_cast<uint16_t>(height);
}

RawTexture::~RawTexture() { glDeleteTextures(1, &tex.ID); }

bool ProjectToWindow(eng::TVec3 world, double* x, double* yFromBottom) {
  eng::SetMode3D(45.0f);
  eng::CameraLoadMatrix(game::GmCamera().Camera);
  GLint viewport[4];
  GLdouble mv[16], pr[16];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  double z = 0.0;
  return gluProject(world.X, world.Y, world.Z, mv, pr, viewport, x, yFromBottom, &z) == GL_TRUE;
}

void GlTest::Clear() {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace testsupport
