// hostile_probe HOW FILE [GAME_DIR]: loads one file the way the game does and prints what came of
// it, for the hostile-file suite, which runs it once per file under the sanitizers with a memory
// limit and a clock:
//   OUTCOME loaded|refused|fatal
//   MESSAGE text       the refusal, the start-up error or the map's message, when there is one
//   PROBLEM text       every problem the game reported, FILE:LINE: message
//   COUNT name value   what was loaded (textures, meshes, kinds, events)
//   PEAK heap BYTES    the most memory in use at once (sanitizer builds)
// HOW is texture, model, wall, creature, bullet, map, font, gui or recording. Files are found
// below the hostile folder, which is shaped like a game folder (Data/Textures/, Data/Models/, ...);
// maps are placed among the kinds of GAME_DIR.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/font.h"
#include "engine/input_stream.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/textures.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/core/game_data.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/world/assets.h"
#include "game/world/content_check.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/map.h"
#include "game/world/registry.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PROBE_COUNTS_HEAP 1
#endif
#endif

#ifdef PROBE_COUNTS_HEAP
// The sanitizer's allocator tells every allocation and release; the probe keeps the peak of the
// bytes in use, which is what the file cost (resident size would count the sanitizer's own
// quarantine of freed blocks too).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace {

namespace fs = std::filesystem;

#ifdef PROBE_COUNTS_HEAP
size_t g_inUse = 0;
size_t g_peak = 0;
void OnMalloc(const volatile void*, size_t size) {
  g_inUse += size;
  if (g_inUse > g_peak) g_peak = g_inUse;
}
void OnFree(const volatile void* p) { g_inUse -= __sanitizer_get_allocated_size(p); }
#endif

void Line(const char* tag, const std::string& text) { std::printf("%s %s\n", tag, text.c_str()); }

// The game folder a file lies in: the parent of its Data/ or maps/ folder.
std::string GameFolderOf(const fs::path& file) {
  for (fs::path p = file.parent_path(); !p.empty() && p != p.root_path(); p = p.parent_path()) {
    std::string name = p.filename().string();
    if (name == "Data" || name == "maps" || name == "recordings") return p.parent_path().string() + "/";
  }
  return file.parent_path().string() + "/";
}

// A TEXTURE or MODEL line of a made-up kind file naming `file` below its data folder.
game::TDefLine KindLine(const std::string& key, const std::string& file, const std::string& folder,
                        const std::string* probeFile) {
  std::string value = fs::path(file).lexically_relative(game::Core().AppDir + folder).generic_string();
  return {key, value, probeFile, 1, true};
}

int Probe(const std::string& how, const std::string& file, const std::string& gameDir) {
  static const std::string probeFile = "probe.cro";
  game::RegistryReset();
  game::Core().AppDir = GameFolderOf(fs::absolute(file));
  std::string outcome = "loaded";
  std::string message;
  if (how == "texture") {
    // Decoding is the readers' part; the upload is the driver's.
    eng::TImage image;
    if (!eng::TextureReadImage(file, &image)) {
      outcome = "refused";
      message = game::UnreadableTextureMessage(file);
    } else {
      Line("COUNT", "pixels " + std::to_string(image.Width) + " x " + std::to_string(image.Height));
    }
  } else if (how == "model") {
    game::TGmMesh* mesh = game::LoadKindModel(KindLine("MODEL", fs::absolute(file).string(), "Data/Models/", &probeFile), nullptr);
    if (!mesh) outcome = "refused";
    if (mesh)
      Line("COUNT", "frames " + std::to_string(mesh->FrameCount) + " vertices " + std::to_string(mesh->VertexCount) +
                        " triangles " + std::to_string(mesh->TriangleCount));
  } else if (how == "wall" || how == "creature" || how == "bullet") {
    game::PlugKindLoaders();
    game::TKindFolder folder = how == "wall" ? game::KindWalls : how == "creature" ? game::KindCreatures : game::KindBullets;
    game::Registry().Loaders[folder](fs::absolute(file).string());
    game::CheckContent();
    Line("COUNT", "kinds " + std::to_string(game::WallLists().WallKinds.size() +
                                            game::CreatureLists().CreatureKinds.size() +
                                            game::Registry().NamedKinds[game::KindBullets].size()));
  } else if (how == "map") {
    message = game::LoadGameData(gameDir, fs::absolute(file).string());
    // As the game goes on after the load, failed or not: the map's start block runs.
    game::MapRunStartBlock();
    Line("COUNT", "walls " + std::to_string(game::WallLists().Walls.size()) + " creatures " +
                      std::to_string(game::CreatureLists().Creatures.size()));
  } else if (how == "font") {
    // Fonts tell their failures to the log only; the probe keeps it on to show them.
    fs::path logDir = fs::temp_directory_path() / ("tessera-probe-" + std::to_string(::getpid()));
    fs::create_directories(logDir);
    fs::path here = fs::current_path();
    std::string absolute = fs::absolute(file).string();
    fs::current_path(logDir);
    eng::LogOpen();
    eng::engTFont* font = eng::Font_Load(absolute);
    eng::LogClose();
    fs::current_path(here);
    if (!font) {
      outcome = "refused";
      FILE* log = std::fopen((logDir / "log.txt").c_str(), "rb");
      char buffer[4096];
      size_t n = log ? std::fread(buffer, 1, sizeof buffer - 1, log) : 0;
      if (log) std::fclose(log);
      buffer[n] = '\0';
      message = buffer;
      for (char& c : message)
        if (c == '\r' || c == '\n') c = ' ';
    } else {
      Line("COUNT", "glyphs " + std::to_string(font->GlyphStore.size()) + " pages " + std::to_string(font->PageCount));
      eng::Text_Width(font, "Tessera \xC0\xFF", 0.0f);
    }
    fs::remove_all(logDir);
  } else if (how == "gui") {
    // As GUI_Init reads each Data/GUI/*.cro, without textures; then every window is opened, which
    // runs its create script.
    std::string path = fs::absolute(file).string();
    std::vector<game::TGmWindow>& definitions = game::GuiState().Definitions;
    definitions.assign(1, game::MessageWindowDefinition());
    game::GuiReadDefinitions(game::ReadWholeFile(path), path, definitions, nullptr);
    std::vector<std::string> names;
    for (const game::TGmWindow& w : definitions) names.push_back(w.Name);
    for (const std::string& name : names)
      if (name != game::MessageWindowName) game::Window_Create(name);
    Line("COUNT", "windows " + std::to_string(definitions.size()) + " open " +
                      std::to_string(game::GuiState().Open.size()));
  } else if (how == "recording") {
    std::string error;
    if (!eng::InputStreamOpenReplay(file, &error)) {
      outcome = "refused";
      message = error;
    }
  } else {
    std::fprintf(stderr, "hostile_probe: unknown kind of file %s\n", how.c_str());
    return 2;
  }
  Line("OUTCOME", outcome);
  if (!message.empty()) Line("MESSAGE", message);
  Line("COUNT", "textures " + std::to_string(eng::TextureCount()) + " meshes " + std::to_string(game::MeshCount()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: hostile_probe HOW FILE [GAME_DIR]\n");
    return 2;
  }
#ifdef PROBE_COUNTS_HEAP
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
#endif
  eng::RegisterImageReaders();
  int status = 0;
  try {
    status = Probe(argv[1], argv[2], argc > 3 ? argv[3] : "");
  } catch (const game::FatalError& e) {
    // The start-up error: the game shows it and ends; the file and line come with it.
    std::string where = e.file();
    if (e.line() > 0) where += ":" + std::to_string(e.line());
    Line("OUTCOME", "fatal");
    Line("MESSAGE", (where.empty() ? "" : where + ": ") + e.what());
  }
  for (const game::TProblem& p : game::Problems()) Line("PROBLEM", game::FormatProblem(p));
#ifdef PROBE_COUNTS_HEAP
  Line("PEAK", "heap " + std::to_string(g_peak));
#endif
  std::fflush(stdout);
  return status;
}
