// tessera-mapc: the map compiler and decompiler (the text form is docs/map-format.md).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "tools/mapc/data_check.h"

namespace {

const char kUsage[] =
    "usage: tessera-mapc compile [--data GAME_DIR] TEXT_IN MAP_OUT\n"
    "       tessera-mapc decompile MAP_IN TEXT_OUT\n"
    "A file name of - stands for standard input or output. With --data, the walls' and creatures'\n"
    "kinds are looked up in the game folder GAME_DIR (for example build/game) as the game looks\n"
    "them up, their IDs must be unique, and the game must be able to place every one.\n"
    "Exit status: 0 done, 1 the input has a fault (reported as FILE:LINE:COL: message), 2 usage.\n";

bool ReadInput(const std::string& name, std::string* bytes) {
  std::ostringstream text;
  if (name == "-") {
    text << std::cin.rdbuf();
  } else {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    text << in.rdbuf();
  }
  *bytes = text.str();
  return true;
}

// Writes the output; false with the reason.
bool WriteOutput(const std::string& name, const std::string& bytes, std::string* reason) {
  if (name == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (std::cout.flush()) return true;
    *reason = "cannot write to standard output";
    return false;
  }
  std::FILE* f = std::fopen(name.c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int why = errno;
  if (f && std::fclose(f) != 0 && ok) {
    ok = false;
    why = errno;
  }
  if (!ok) *reason = name + ": cannot write the file: " + std::strerror(why);
  return ok;
}

void Print(const game::TMapTextError& e, const char* tag) {
  game::TMapTextError shown = e;
  shown.Message = tag + e.Message;
  std::fprintf(stderr, "%s\n", shown.Text().c_str());
}

int Compile(const std::string& in, const std::string& out, const std::string& gameDir) {
  std::string text;
  if (!ReadInput(in, &text)) {
    std::fprintf(stderr, "%s: cannot read the file\n", in.c_str());
    return 1;
  }
  game::TMapFile map;
  game::TMapTextError error;
  game::TMapTextNotes notes;
  if (!game::MapCompileText(text, in, &map, &error, &notes)) {
    std::fprintf(stderr, "%s\n", error.Text().c_str());
    return 1;
  }
  for (const game::TMapTextError& w : notes.Warnings) Print(w, "warning: ");
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!game::MapFileWrite(map, &bytes, &reason)) {
    std::fprintf(stderr, "%s: %s\n", in.c_str(), reason.c_str());
    return 1;
  }
  if (!gameDir.empty()) {
    mapc::TDataCheck check = mapc::CheckAgainstGameData(gameDir, map, bytes, notes, in);
    for (const game::TMapTextError& w : check.Warnings) Print(w, "warning: ");
    for (const game::TMapTextError& e : check.Errors) Print(e, "");
    if (!check.Errors.empty()) return 1;
  }
  if (!WriteOutput(out, std::string(bytes.begin(), bytes.end()), &reason)) {
    std::fprintf(stderr, "%s\n", reason.c_str());
    return 1;
  }
  return 0;
}

int Decompile(const std::string& in, const std::string& out) {
  std::string bytes;
  if (!ReadInput(in, &bytes)) {
    std::fprintf(stderr, "%s: cannot read the file\n", in.c_str());
    return 1;
  }
  game::TMapFile map;
  std::string reason;
  size_t consumed = 0;
  if (!game::MapFileReadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &map, &reason,
                                   &consumed)) {
    std::fprintf(stderr, "%s: %s\n", in.c_str(), reason.c_str());
    return 1;
  }
  if (consumed < bytes.size())
    std::fprintf(stderr, "%s: warning: %zu bytes after the map are not part of it\n", in.c_str(),
                 bytes.size() - consumed);
  std::string text;
  std::vector<game::TMapTextError> oddities;
  if (!game::MapDecompile(map, &text, &reason, &oddities)) {
    std::fprintf(stderr, "%s: %s\n", in.c_str(), reason.c_str());
    return 1;
  }
  const std::string textName = out == "-" ? "<standard output>" : out;
  for (game::TMapTextError& o : oddities) {
    o.File = textName;
    Print(o, "warning: ");
  }
  // The text is compiled again here, so that a map the text form cannot give back exactly is
  // never passed off as one that it does.
  game::TMapFile again;
  game::TMapTextError error;
  std::vector<uint8_t> back;
  if (!game::MapCompileText(text, textName, &again, &error) || !game::MapFileWrite(again, &back, &reason)) {
    std::fprintf(stderr, "%s: the text written for this map does not compile: %s\n", in.c_str(),
                 error.Text().c_str());
    return 1;
  }
  size_t same = 0;
  while (same < back.size() && same < consumed && back[same] == static_cast<uint8_t>(bytes[same])) ++same;
  if (same < back.size() || same < consumed)
    std::fprintf(stderr,
                 "%s: warning: the text compiles to other bytes from byte %zu on (the map holds something the "
                 "text does not keep, such as a negative wall or creature count, read as none)\n",
                 in.c_str(), same);
  if (!WriteOutput(out, text, &reason)) {
    std::fprintf(stderr, "%s\n", reason.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  std::string gameDir;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--data") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        std::fputs("tessera-mapc: --data needs a game folder\n", stderr);
        return 2;
      }
      gameDir = argv[++i];
      continue;
    }
    args.push_back(arg);
  }
  if (args.size() != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (args[0] == "compile") return Compile(args[1], args[2], gameDir);
  if (args[0] == "decompile" && gameDir.empty()) return Decompile(args[1], args[2]);
  if (args[0] == "decompile") {
    std::fputs("tessera-mapc: --data goes with compile\n", stderr);
    return 2;
  }
  std::fprintf(stderr, "tessera-mapc: unknown command %s\n%s", args[0].c_str(), kUsage);
  return 2;
}
