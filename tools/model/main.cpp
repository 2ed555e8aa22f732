// tessera-model: what a model file holds, and a headless picture of it.
//   tessera-model info FILE
//     frames F vertices V triangles T texcoords C
//     bbox MINX MINY MINZ MAXX MAXY MAXZ          (frame 0), or FAIL and the reason on stderr
//   tessera-model render FILE --out OUT.png [--skin IMAGE] [--frame F] [--angle A] [options]
//     F and A may be comma-separated lists: the picture is then a grid of cells in reading order,
//     every frame at the first angle, then at the next angle. The model stands at the origin turned to facing
//     angle A (degrees, as a creature's Angle with ROTATEY 0), lit like the game, seen from the game camera's
//     direction. Without --skin the model is drawn in plain grey; a skin that cannot be read is an error.
//     --distance D   eye distance (default: fitted to the model, whatever its size); 41 is the game's
//                    start camera
//     --elevation E  camera elevation in degrees (default 43, the game's start camera)
//     --floor        draw a grass-green floor of 3 x 3 tiles under the model
//     --background RRGGBB   clear colour (default 303840)
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/application.h"
#include "engine/image_write.h"
#include "engine/main.h"
#include "engine/opengl.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/textures.h"
#include "game/core/fatal.h"
#include "game/models/format_md2.h"
#include "game/models/mesh.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

const char kUsage[] =
    "usage: tessera-model info FILE\n"
    "       tessera-model render FILE --out OUT.png [--skin IMAGE] [--frame F[,F...]] [--angle A[,A...]]\n"
    "                            [--distance D] [--elevation E] [--floor] [--background RRGGBB]\n";

// The colour of a model drawn without a skin: a mid grey that the game's light shades visibly.
constexpr uint32_t kNoSkinGrey = 0xFFB4B4B4;

// Loads a model for the tool: the mesh, or null with the reason in *why.
game::TGmMesh* LoadForTool(const std::string& file, std::string* why) {
  try {
    game::TGmMesh* mesh = game::MeshLoad(file);
    if (mesh) return mesh;
  } catch (const game::FatalError& e) {
    *why = e.file() + (e.line() > 0 ? "(" + std::to_string(e.line()) + ")" : "") + ": " + e.what();
    return nullptr;
  }
  // MeshLoad reports only "no mesh"; the readers say why.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    *why = file + ": no such file";
  } else {
    game::TMD2Model model;
    std::string reason;
    std::string ext = std::filesystem::path(file).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    if (ext == ".MD2" && game::MD2LoadFromFile(&model, file, &reason) != game::Md2Status::Ok)
      *why = file + ": " + reason;
    else
      *why = file + ": not an MD2 or OBJ file";
  }
  return nullptr;
}

int Info(const std::string& file) {
  std::string why;
  game::TGmMesh* mesh = LoadForTool(file, &why);
  if (!mesh) {
    std::printf("FAIL\n");
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }
  std::printf("frames %u vertices %u triangles %u texcoords %u\n", mesh->FrameCount, mesh->VertexCount,
              mesh->TriangleCount, mesh->TexCoordCount);
  game::TGmMeshFrame none;
  const game::TGmMeshFrame& f = mesh->Frames.empty() ? none : mesh->Frames[0];
  std::printf("bbox %g %g %g %g %g %g\n", static_cast<double>(f.MinX), static_cast<double>(f.MinY),
              static_cast<double>(f.MinZ), static_cast<double>(f.MaxX), static_cast<double>(f.MaxY),
              static_cast<double>(f.MaxZ));
  game::MeshFreeAll();
  return 0;
}

bool ParseList(const std::string& text, std::vector<double>* out) {
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    std::string item = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    char* end = nullptr;
    double v = std::strtod(item.c_str(), &end);
    if (item.empty() || *end != '\0' || !std::isfinite(v)) return false;
    out->push_back(v);
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return !out->empty();
}

struct RenderOptions {
  std::string file, skin, out;
  std::vector<double> frames, angles;
  double distance = 0;  // 0: fitted
  double elevation = 43;
  bool floor = false;
  uint32_t background = 0x303840;
};

// The creature matrix of the game with ROTATEY 0 (a quarter turn) and no other rotation or scale.
void ApplyFacing(double angleDegrees) {
  glRotated(-angleDegrees - 90.0, 0, 1, 0);
}

// The floor is drawn unlit in a flat grass colour: it only gives the model something to stand on.
void DrawFloor() {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor3ub(86, 112, 58);
  glBegin(GL_QUADS);
  glVertex3f(-3, 0, -3);
  glVertex3f(-3, 0, 3);
  glVertex3f(3, 0, 3);
  glVertex3f(3, 0, -3);
  glEnd();
  glColor3ub(255, 255, 255);
  glEnable(GL_LIGHTING);
}

int Render(const RenderOptions& o) {
  eng::platform::SetHeadless(true);
  eng::DisableFeature(eng::FeatureLog);
  eng::RegisterImageReaders();
  // A skin that was asked for and cannot be read would draw a white model that looks fine at a
  // glance; it is an error before anything else is done.
  if (!o.skin.empty()) {
    eng::TImage image;
    if (!eng::TextureReadImage(o.skin, &image)) {
      std::fprintf(stderr, "tessera-model: cannot read the skin %s: %s\n", o.skin.c_str(),
                   eng::TextureFailureMessage().c_str());
      return 1;
    }
  }
  if (!eng::platform::Init()) {
    std::fprintf(stderr, "tessera-model: no display: %s\n", eng::platform::LastError().c_str());
    return 1;
  }
  eng::ScreenReadDesktop();
  eng::App().Initialised = true;
  eng::GL().FSAA = 0;
  if (!eng::GLCreateContext()) {
    std::fprintf(stderr, "tessera-model: cannot create a GL context: %s\n",
                 eng::platform::LastError().c_str());
    return 1;
  }
  std::string why;
  game::TGmMesh* mesh = LoadForTool(o.file, &why);
  if (!mesh) {
    std::fprintf(stderr, "tessera-model: %s\n", why.c_str());
    eng::GLDestroyContext();
    eng::platform::Shutdown();
    return 1;
  }
  eng::TTexture* skin = o.skin.empty() ? eng::TextureCreateBlank(1, 1, kNoSkinGrey, eng::WorldTextureFlags)
                                        : eng::TextureLoadFromFile(o.skin, eng::NoColourKey, eng::WorldTextureFlags);

  // One box around every requested frame keeps the scale equal across the grid.
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  for (double fr : o.frames) {
    for (const game::TGmCorner& c : game::MeshCorners(mesh, static_cast<float>(fr))) {
      const float p[3] = {c.Vertex.X, c.Vertex.Y, c.Vertex.Z};
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
      }
    }
  }
  if (lo[0] > hi[0]) lo[0] = lo[1] = lo[2] = hi[0] = hi[1] = hi[2] = 0;
  // The model turns about the vertical axis through the origin, so the fit uses the horizontal
  // reach from that axis and the height span.
  double reach = 0;
  for (double x : {lo[0], hi[0]})
    for (double z : {lo[2], hi[2]}) reach = std::max(reach, std::hypot(x, z));
  const double centreY = (lo[1] + hi[1]) / 2;
  // A model of no extent (one point) still gets a camera that can see it.
  double radius = std::hypot(reach, (hi[1] - lo[1]) / 2);
  if (!(radius > 0)) radius = 1e-3;

  // Cells in reading order, one row of frames per angle when they fit, otherwise a near-square grid.
  const eng::ScreenState& s = eng::Screen();
  const size_t total = o.frames.size() * o.angles.size();
  size_t cols = static_cast<size_t>(std::lround(std::sqrt(static_cast<double>(total) * 4.0 / 3.0)));
  if (o.angles.size() > 1 && o.frames.size() <= 6) cols = o.frames.size();
  cols = std::clamp<size_t>(cols, 1, total);
  const size_t rows = (total + cols - 1) / cols;
  const int cellW = s.RenderWidth / static_cast<int>(cols), cellH = s.RenderHeight / static_cast<int>(rows);
  // Fitted: the model's sphere fills the narrower of the cell's two field-of-view angles.
  const double halfFov =
      std::min(22.5 * kPi / 180, std::atan(std::tan(22.5 * kPi / 180) * cellW / static_cast<double>(cellH)));
  // The whole sphere around the model in view, so that no part of its box is ever cut off.
  const double distance = o.distance > 0 ? o.distance : radius / std::sin(halfFov);
  // The clipping planes follow the model: the game's fixed 0.1 to 200 would cut a large model
  // away entirely and a tiny one to nothing. Everything drawn lies within `extent` of the point
  // the camera looks at (the model's sphere, and the floor's corners when it is drawn), so the
  // planes enclose that sphere, the near one as far out as it can be for depth precision.
  const double extent = std::max(radius, o.floor ? std::hypot(std::hypot(3.0, 3.0), centreY) : 0.0) * 1.05;
  const double zFar = distance + extent;
  const double zNear = distance > extent ? distance - extent : distance * 1e-3;
  glClearColor(static_cast<float>((o.background >> 16) & 255) / 255.0f,
               static_cast<float>((o.background >> 8) & 255) / 255.0f,
               static_cast<float>(o.background & 255) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  const float ambient[4] = {3.5f, 3.5f, 3.5f, 1.0f}, diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
  const float lightDir[4] = {-0.3f, 0.7f, 0.5f, 0.0f};
  glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  const double el = o.elevation * kPi / 180, az = 45 * kPi / 180;
  for (size_t cell = 0; cell < total; ++cell) {
    {
      const size_t frame = cell % o.frames.size(), angle = cell / o.frames.size();
      const int c = static_cast<int>(cell % cols), r = static_cast<int>(cell / cols);
      glViewport(c * cellW, (static_cast<int>(rows) - 1 - r) * cellH, cellW, cellH);
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      gluPerspective(45.0, static_cast<double>(cellW) / cellH, zNear, zFar);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      gluLookAt(std::cos(el) * std::cos(az) * distance, centreY + std::sin(el) * distance,
                std::cos(el) * std::sin(az) * distance, 0, centreY, 0, 0, 1, 0);
      glEnable(GL_LIGHTING);
      glEnable(GL_LIGHT1);
      glLightfv(GL_LIGHT1, GL_POSITION, lightDir);
      if (o.floor) DrawFloor();
      glPushMatrix();
      ApplyFacing(o.angles[angle]);
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, skin ? skin->ID : 0);
      glEnable(GL_CULL_FACE);
      game::MeshDraw(mesh, static_cast<float>(o.frames[frame]));
      glDisable(GL_CULL_FACE);
      glDisable(GL_TEXTURE_2D);
      glPopMatrix();
      glDisable(GL_LIGHTING);
    }
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(s.RenderWidth) * static_cast<size_t>(s.RenderHeight) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, s.RenderWidth, s.RenderHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  std::string error;
  bool ok = eng::WritePng(o.out, s.RenderWidth, s.RenderHeight, pixels.data(), true, &error);
  if (!ok) std::fprintf(stderr, "tessera-model: %s\n", error.c_str());
  game::MeshFreeAll();
  eng::TexturesFreeAll();
  eng::GLDestroyContext();
  eng::platform::Shutdown();
  return ok ? 0 : 1;
}

}  // namespace

// In sanitizer builds: the GL driver is unloaded before the leak check runs, so its allocations
// cannot be told apart from ours (see game/main.cpp).
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string command = argv[1];
  if (command == "info" && argc == 3) return Info(argv[2]);
  if (command != "render") {
    std::fputs(kUsage, stderr);
    return 2;
  }
  RenderOptions o;
  o.file = argv[2];
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "tessera-model: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    bool good = true;
    if (arg == "--skin") {
      o.skin = value();
    } else if (arg == "--out") {
      o.out = value();
    } else if (arg == "--frame") {
      good = ParseList(value(), &o.frames);
    } else if (arg == "--angle") {
      good = ParseList(value(), &o.angles);
    } else if (arg == "--distance") {
      std::vector<double> d;
      good = ParseList(value(), &d) && d.size() == 1 && d[0] > 0;
      if (good) o.distance = d[0];
    } else if (arg == "--elevation") {
      std::vector<double> e;
      good = ParseList(value(), &e) && e.size() == 1 && e[0] > -90 && e[0] < 90;
      if (good) o.elevation = e[0];
    } else if (arg == "--floor") {
      o.floor = true;
    } else if (arg == "--background") {
      std::string v = value();
      char* end = nullptr;
      unsigned long c = std::strtoul(v.c_str(), &end, 16);
      good = v.size() == 6 && *end == '\0';
      o.background = static_cast<uint32_t>(c);
    } else {
      good = false;
    }
    if (!good) {
      std::fprintf(stderr, "tessera-model: bad argument %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (o.frames.empty()) o.frames.push_back(0);
  if (o.angles.empty()) o.angles.push_back(0);
  if (o.out.empty()) {
    std::fprintf(stderr, "tessera-model: render needs --out\n%s", kUsage);
    return 2;
  }
  return Render(o);
}
