// Pixel format, rendering context, capabilities and projections.
#include "engine/opengl.h"

#include <GL/gl.h>
#include <GL/glext.h>  // GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT and the ARB names
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

#include "engine/log.h"
#include "engine/screen.h"
#include "engine/utils.h"
#include "engine/window.h"

namespace eng {

namespace {

GLState g_gl;

std::string GLString(GLenum name) {
  const GLubyte* s = glGetString(name);
  return s ? reinterpret_cast<const char*>(s) : "";
}

bool HasExtension(const std::string& extensions, const char* name) {
  size_t len = std::strlen(name);
  size_t pos = 0;
  while ((pos = extensions.find(name, pos)) != std::string::npos) {
    bool startOk = pos == 0 || extensions[pos - 1] == ' ';
    bool endOk = pos + len == extensions.size() || extensions[pos + len] == ' ';
    if (startOk && endOk) return true;
    pos += len;
  }
  return false;
}

bool HasProc(const char* name) { return platform::GetGLProcAddress(name) != nullptr; }

// Entry points are looked up by their plain name and then with "ARB" appended.
bool HasProcOrArb(const char* name) {
  return HasProc(name) || HasProc((std::string(name) + "ARB").c_str());
}

const char* Bool(bool b) { return b ? "TRUE" : "FALSE"; }

// Software rasterisers that the window system does not mark as its generic format.
bool IsSoftwareRenderer(const std::string& renderer) {
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
    if (renderer.find(name) != std::string::npos) return true;
  return false;
}

void ProbeCaps() {
  GLCaps& caps = g_gl.Caps;
  if (caps.Probed) return;
  caps.Probed = true;
  std::string extensions = GLString(GL_EXTENSIONS);

  GLint value = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
  caps.MaxTextureSize = value;
  LogAdd("GL_MAX_TEXTURE_SIZE: " + std::to_string(caps.MaxTextureSize));

  caps.TextureCompression = HasExtension(extensions, "GL_ARB_texture_compression");
  LogAdd(std::string("GL_ARB_TEXTURE_COMPRESSION: ") + Bool(caps.TextureCompression));

  value = 0;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &value);
  caps.MaxTextureUnits = value;
  for (const char* name : {"glMultiTexCoord2f", "glMultiTexCoord2fv", "glActiveTexture",
                           "glClientActiveTexture"})
    HasProcOrArb(name);
  LogAdd("GL_MAX_TEXTURE_UNITS_ARB: " + std::to_string(caps.MaxTextureUnits));

  GLfloat anisotropy = 0.0f;
  if (HasExtension(extensions, "GL_EXT_texture_filter_anisotropic"))
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
  caps.MaxAnisotropy = anisotropy;
  char number[32];
  std::snprintf(number, sizeof number, "%g", static_cast<double>(anisotropy));
  LogAdd(std::string("GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT: ") + number);

  caps.VertexBufferObject = HasProcOrArb("glBindBuffer") && HasProcOrArb("glBufferData") &&
                            HasProcOrArb("glGenBuffers") && HasProcOrArb("glDeleteBuffers");
  LogAdd(std::string("GL_ARB_VERTEX_BUFFER_OBJECT: ") + Bool(caps.VertexBufferObject));

  caps.FramebufferObject = HasProc("glGenFramebuffersEXT") && HasProc("glBindFramebufferEXT") &&
                           HasProc("glFramebufferTexture2DEXT");
  LogAdd(std::string("GL_EXT_FRAMEBUFFER_OBJECT: ") + Bool(caps.FramebufferObject));

  caps.PixelBuffer = platform::HasPixelBuffers();
  LogAdd(std::string("WGL_ARB_PBUFFER: ") + Bool(caps.PixelBuffer));

  int interval = platform::GetSwapInterval();
  caps.SwapControl = interval >= 0 && platform::SetSwapInterval(interval);
  LogAdd(std::string("Support WaitVSync: ") + Bool(caps.SwapControl));
}

void SetFixedState() {
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glDepthFunc(GL_LEQUAL);
  glClearDepth(1.0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0.0f);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_NORMALIZE);
}

}  // namespace

GLState& GL() { return g_gl; }

std::vector<PixelFormatTry> SearchPixelFormat(int32_t fsaa, int32_t stencil, int32_t colourBits,
                                              bool (*available)(const platform::PixelFormat&),
                                              bool* found) {
  std::vector<PixelFormatTry> tries;
  *found = false;
  int32_t depth = 24;
  for (;;) {
    LogAdd("wglChoosePixelFormatARB: zDepth = " + std::to_string(depth) + "; " +
           "stencil = " + std::to_string(stencil) + "; " + "fsaa = " + std::to_string(fsaa));
    tries.push_back({depth, fsaa});
    platform::PixelFormat format;
    format.colorBits = colourBits;
    format.alphaBits = 8;
    format.depthBits = depth;
    format.stencilBits = stencil > 0 ? stencil : 0;
    format.samples = fsaa > 0 ? fsaa : 0;
    if (available(format)) {
      *found = true;
      return tries;
    }
    if (depth >= 16) {
      depth -= 8;
    } else if (fsaa <= 0) {
      return tries;
    } else {
      depth = 24;
      fsaa -= 2;
    }
  }
}

bool GLCreateContext() {
  if (!platform::LoadGLLibrary()) {
    LogAdd("Cannot load GL library");
    return false;
  }
  // First pass: the plain format, then the ladder.
  platform::PixelFormat plain;
  plain.colorBits = Screen().BPP;
  plain.alphaBits = 8;
  plain.depthBits = g_gl.DepthBits;
  plain.stencilBits = g_gl.StencilBits;
  if (!platform::ChooseBasicPixelFormat(plain)) {
    ErrorBox("Cannot choose pixel format");
    return false;
  }
  bool found = false;
  std::vector<PixelFormatTry> tries;
  if (platform::HasPixelFormatSearch())
    tries = SearchPixelFormat(g_gl.FSAA, g_gl.StencilBits, Screen().BPP, platform::ProbePixelFormat, &found);
  g_gl.Chosen = plain;
  if (found) {
    g_gl.DepthBits = tries.back().depth;
    g_gl.Chosen.depthBits = tries.back().depth;
    g_gl.Chosen.samples = tries.back().fsaa > 0 ? tries.back().fsaa : 0;
  }
  g_gl.FormatChosen = true;
  g_gl.ContextSetup = false;

  // Second pass: the real window with its context.
  if (!WindowCreate(Screen().Width, Screen().Height)) return false;
  LogAdd("Create OpenGL Context");
  LogAdd("Make Current OpenGL Context");
  g_gl.Renderer = GLString(GL_RENDERER);
  if (platform::IsGenericPixelFormat() || IsSoftwareRenderer(g_gl.Renderer))
    WarningBox("Cannot find 3D-accelerator! Application run in software-mode, it's very slow");
  LogAdd("GL_VERSION: " + GLString(GL_VERSION));
  LogAdd("GL_RENDERER: " + g_gl.Renderer);
  ProbeCaps();
  SetFixedState();
  return true;
}

void GLDestroyContext() {
  WindowDestroy();
  platform::UnloadGLLibrary();
}

void SetMode2D() {
  g_gl.Mode = 2;
  const ScreenState& s = Screen();
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, s.RenderWidth, s.RenderHeight, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, s.RenderWidth, s.RenderHeight);
}

void SetMode3D(float fov) {
  g_gl.Mode = 3;
  g_gl.FOV = fov;
  const ScreenState& s = Screen();
  glColor4ub(255, 255, 255, 255);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  double aspect = s.RenderHeight != 0 ? static_cast<double>(s.RenderWidth) / s.RenderHeight : 1.0;
  gluPerspective(fov, aspect, g_gl.Near, g_gl.Far);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, s.RenderWidth, s.RenderHeight);
}

TFrustum ViewFrustum(const TMatrix4& view) {
  if (g_gl.Mode != 3) return TFrustum{};
  const ScreenState& s = Screen();
  if (s.RenderWidth <= 0 || s.RenderHeight <= 0) return TFrustum{};
  // The same values SetMode3D hands to gluPerspective.
  double aspect = static_cast<double>(s.RenderWidth) / s.RenderHeight;
  return FrustumFromPerspective(static_cast<double>(g_gl.FOV), aspect, static_cast<double>(g_gl.Near),
                                static_cast<double>(g_gl.Far), view);
}

void SetDepthRange(float znear, float zfar) {
  g_gl.Near = znear;
  g_gl.Far = zfar;
}

void ApplyProjection() {
  if (!platform::HasWindow()) return;
  if (g_gl.Mode == 3)
    SetMode3D(g_gl.FOV);
  else
    SetMode2D();
}

void GLReset() { g_gl = GLState{}; }

}  // namespace eng
