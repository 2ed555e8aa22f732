// tessera-mapc: the map compiler and decompiler (the text form is docs/map-format.md).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/map_text.h"

namespace {

const char kUsage[] =
    "usage: tessera-mapc compile TEXT_IN MAP_OUT\n"
    "       tessera-mapc decompile MAP_IN TEXT_OUT\n"
    "A file name of - stands for standard input or output.\n"
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

bool WriteOutput(const std::string& name, const std::string& bytes) {
  if (name == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(std::cout.flush());
  }
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

int Compile(const std::string& in, const std::string& out) {
  std::string text;
  if (!ReadInput(in, &text)) {
    std::fprintf(stderr, "%s: cannot read the file\n", in.c_str());
    return 1;
  }
  game::TMapFile map;
  game::TMapTextError error;
  if (!game::MapCompileText(text, in, &map, &error)) {
    std::fprintf(stderr, "%s\n", error.Text().c_str());
    return 1;
  }
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!game::MapFileWrite(map, &bytes, &reason)) {
    std::fprintf(stderr, "%s: %s\n", in.c_str(), reason.c_str());
    return 1;
  }
  if (!WriteOutput(out, std::string(bytes.begin(), bytes.end()))) {
    std::fprintf(stderr, "%s: cannot write the file\n", out.c_str());
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
  if (!game::MapDecompile(map, &text, &reason)) {
    std::fprintf(stderr, "%s: %s\n", in.c_str(), reason.c_str());
    return 1;
  }
  if (!WriteOutput(out, text)) {
    std::fprintf(stderr, "%s: cannot write the file\n", out.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (args[0] == "compile") return Compile(args[1], args[2]);
  if (args[0] == "decompile") return Decompile(args[1], args[2]);
  std::fprintf(stderr, "tessera-mapc: unknown command %s\n%s", args[0].c_str(), kUsage);
  return 2;
}
