// Small helpers for tests of what the game tells a modder: the problem list as text, and counting
// a message in captured output.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/textures.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/diagnostics.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"
#include "tests/support/test_support.h"

namespace testsupport {

// A scratch game folder as AppDir, and every module that loading fills back at its start before
// and after each test.
class GameFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir();
    ResetLoaded();
    game::Core().AppDir = dir_.string() + "/";
  }
  void TearDown() override { ResetLoaded(); }
  static void ResetLoaded() {
    game::GameCoreReset();
    game::RegistryReset();
    game::WallsReset();
    game::CreaturesReset();
    game::BulletsReset();
    game::FloorReset();
    game::MapReset();
    game::MeshFreeAll();
    game::DiagnosticsReset();
    eng::TexturesReset();
  }
  std::filesystem::path dir_;
};

// Each problem as FormatProblem writes it.
inline std::vector<std::string> ProblemLines(const std::vector<game::TProblem>& problems) {
  std::vector<std::string> lines;
  for (const game::TProblem& p : problems) lines.push_back(game::FormatProblem(p));
  return lines;
}

// How often `part` occurs in `text`.
inline size_t CountOf(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace testsupport
