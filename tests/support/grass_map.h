// A 20 x 20 grass map for whole-game runs, with the test's own records (walls, creatures, script
// blocks) after the floor.
#pragma once

#include <filesystem>
#include <string>

#include "game/world/map_file.h"
#include "game/world/map_text.h"

namespace testsupport {

// Compiles and writes the map to `file`; the reason it could not, or empty.
inline std::string WriteGrassMap(const std::filesystem::path& file, const std::string& records) {
  std::string text = "size 20 20\nlegend . Plane grass.jpg\nfloor\n";
  for (int y = 0; y < 20; ++y) text += std::string(20, '.') + "\n";
  text += "end\n" + records;
  game::TMapFile map;
  game::TMapTextError error;
  if (!game::MapCompileText(text, file.filename().string(), &map, &error)) return error.Text();
  std::filesystem::create_directories(file.parent_path());
  std::string reason;
  if (!game::MapFileSave(file.string(), map, &reason)) return reason;
  return "";
}

}  // namespace testsupport
