// A counting GL that draws nothing, linked into a benchmark in place of the driver's entry points:
// every call the game makes while drawing is counted and returns at once, so that a frame's time
// is the game's own CPU. The executable's definitions take the place of the system library's for
// the game and for GLU; the window and context are still made by the real driver through the
// platform layer, which reaches it by its own handle. Queries answer with plain defaults that keep
// GLU's mipmap builder and the engine's set-up on their ordinary paths.
#include "bench/null_gl.h"

#include <GL/gl.h>

#include <cstring>

namespace nullgl {

namespace {

TCounts g_counts;
GLint g_viewport[4] = {0, 0, 800, 600};
GLint g_lastWidth = 0;
GLint g_lastHeight = 0;
GLuint g_nextTexture = 1;

void Call() { ++g_counts.Calls; }

}  // namespace

TCounts& Counts() { return g_counts; }

}  // namespace nullgl

using nullgl::Call;

extern "C" {

// Drawing.
void glBegin(GLenum) { Call(); }
void glEnd() { Call(); }
void glVertex2f(GLfloat, GLfloat) {
  Call();
  ++nullgl::g_counts.Vertices;
}
void glVertex3f(GLfloat, GLfloat, GLfloat) {
  Call();
  ++nullgl::g_counts.Vertices;
}
void glNormal3f(GLfloat, GLfloat, GLfloat) { Call(); }
void glTexCoord2f(GLfloat, GLfloat) { Call(); }
void glColor3ub(GLubyte, GLubyte, GLubyte) { Call(); }
void glColor4ub(GLubyte, GLubyte, GLubyte, GLubyte) { Call(); }
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) { Call(); }
void glVertexPointer(GLint, GLenum, GLsizei, const GLvoid*) { Call(); }
void glNormalPointer(GLenum, GLsizei, const GLvoid*) { Call(); }
void glTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid*) { Call(); }
void glEnableClientState(GLenum) { Call(); }
void glDisableClientState(GLenum) { Call(); }
void glDrawArrays(GLenum, GLint, GLsizei count) {
  Call();
  ++nullgl::g_counts.DrawCalls;
  nullgl::g_counts.Vertices += count;
}
void glDrawElements(GLenum, GLsizei count, GLenum, const GLvoid*) {
  Call();
  ++nullgl::g_counts.DrawCalls;
  nullgl::g_counts.Vertices += count;
}

// State.
void glEnable(GLenum) { Call(); }
void glDisable(GLenum) { Call(); }
void glBindTexture(GLenum, GLuint) {
  Call();
  ++nullgl::g_counts.Binds;
}
void glBlendFunc(GLenum, GLenum) { Call(); }
void glAlphaFunc(GLenum, GLclampf) { Call(); }
void glDepthMask(GLboolean) { Call(); }
void glDepthFunc(GLenum) { Call(); }
void glShadeModel(GLenum) { Call(); }
void glHint(GLenum, GLenum) { Call(); }
void glLightfv(GLenum, GLenum, const GLfloat*) { Call(); }
void glMaterialfv(GLenum, GLenum, const GLfloat*) { Call(); }
void glTexEnvi(GLenum, GLenum, GLint) { Call(); }
void glTexParameteri(GLenum, GLenum, GLint) { Call(); }
void glTexParameterf(GLenum, GLenum, GLfloat) { Call(); }
void glPixelStorei(GLenum, GLint) { Call(); }
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) { Call(); }
void glClearDepth(GLclampd) { Call(); }
void glClear(GLbitfield) { Call(); }
void glScissor(GLint, GLint, GLsizei, GLsizei) { Call(); }
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  Call();
  nullgl::g_viewport[0] = x;
  nullgl::g_viewport[1] = y;
  nullgl::g_viewport[2] = width;
  nullgl::g_viewport[3] = height;
}
void glReadBuffer(GLenum) { Call(); }
void glFinish() { Call(); }
void glFlush() { Call(); }

// Matrices.
void glMatrixMode(GLenum) { Call(); }
void glLoadIdentity() { Call(); }
void glLoadMatrixf(const GLfloat*) {
  Call();
  ++nullgl::g_counts.Matrices;
}
void glMultMatrixf(const GLfloat*) {
  Call();
  ++nullgl::g_counts.Matrices;
}
void glMultMatrixd(const GLdouble*) { Call(); }
void glTranslatef(GLfloat, GLfloat, GLfloat) { Call(); }
void glScalef(GLfloat, GLfloat, GLfloat) { Call(); }
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) { Call(); }
void glPushMatrix() { Call(); }
void glPopMatrix() { Call(); }
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) { Call(); }

// Textures: names handed out in order, images recorded only by their size (GLU asks a proxy for it).
void glGenTextures(GLsizei n, GLuint* textures) {
  Call();
  for (GLsizei i = 0; i < n; ++i) textures[i] = nullgl::g_nextTexture++;
}
void glDeleteTextures(GLsizei, const GLuint*) { Call(); }
void glTexImage2D(GLenum, GLint, GLint, GLsizei width, GLsizei height, GLint, GLenum, GLenum, const GLvoid*) {
  Call();
  nullgl::g_lastWidth = width;
  nullgl::g_lastHeight = height;
}
void glGetTexLevelParameteriv(GLenum, GLint, GLenum pname, GLint* params) {
  Call();
  *params = pname == GL_TEXTURE_WIDTH ? nullgl::g_lastWidth : pname == GL_TEXTURE_HEIGHT ? nullgl::g_lastHeight : 0;
}

// Queries.
GLenum glGetError() { return GL_NO_ERROR; }
const GLubyte* glGetString(GLenum name) {
  Call();
  static const GLubyte kVersion[] = "1.1 null";
  static const GLubyte kNone[] = "null";
  static const GLubyte kEmpty[] = "";
  return name == GL_VERSION ? kVersion : name == GL_EXTENSIONS ? kEmpty : kNone;
}
void glGetIntegerv(GLenum pname, GLint* params) {
  Call();
  switch (pname) {
    case GL_VIEWPORT:
      std::memcpy(params, nullgl::g_viewport, sizeof nullgl::g_viewport);
      break;
    case GL_MAX_TEXTURE_SIZE:
      *params = 4096;
      break;
    case GL_UNPACK_ALIGNMENT:
    case GL_PACK_ALIGNMENT:
      *params = 4;
      break;
    default:
      *params = 0;
  }
}
void glGetFloatv(GLenum, GLfloat* params) {
  Call();
  *params = 0.0f;
}
// Matrices read back for picking are the identity, which keeps the unprojection finite.
void glGetDoublev(GLenum pname, GLdouble* params) {
  Call();
  if (pname != GL_MODELVIEW_MATRIX && pname != GL_PROJECTION_MATRIX) {
    *params = 0.0;
    return;
  }
  for (int i = 0; i < 16; ++i) params[i] = i % 5 == 0 ? 1.0 : 0.0;
}
GLboolean glIsEnabled(GLenum) {
  Call();
  return GL_FALSE;
}
void glReadPixels(GLint, GLint, GLsizei width, GLsizei height, GLenum format, GLenum, GLvoid* pixels) {
  Call();
  const size_t bytes = format == GL_RGB ? 3 : 4;
  std::memset(pixels, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * bytes);
}

}  // extern "C"
