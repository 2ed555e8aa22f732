// Map loading into the world: cell order, the "Plane" texture field, shared floor textures, walls
// and creatures placed until the first failure, stored IDs, counts, the size refusal, and the
// files that end the start. On the virtual display because floor textures are GL textures.
#include "game/world/map.h"

#include <gtest/gtest.h>

#include <cstring>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/script/script_host.h"
#include "game/world/floor.h"
#include "game/world/diagnostics.h"
#include "game/world/map_file.h"
#include "game/world/registry.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

using game::Floor;
using game::FloorCell;
using game::TMapFile;

// Little-endian bytes of a map written by hand, for what the map writer cannot express.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U16(uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Bytes& I32(int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return I32(static_cast<int32_t>(u));
  }
  Bytes& Str(const std::string& s) {
    U16(static_cast<uint16_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Table(std::initializer_list<const char*> names) {
    U16(static_cast<uint16_t>(names.size()));
    for (const char* n : names) Str(n);
    return *this;
  }
};

class MapLoadTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    dir_ = testsupport::ScratchDir();
    ResetWorld();
    game::Core().AppDir = dir_.string() + "/";
    // What LoadKinds leaves: the default size and the grass floor; then kinds made in memory.
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    game::FloorInit();
    game::TWall stone;
    stone.Name = "Stone";
    stone.Scale = 1.0f;
    game::WallLists().WallKinds.push_back(stone);
    game::TWall nameless = stone;
    nameless.Name = "";
    game::WallLists().WallKinds.push_back(nameless);
    game::TCreature orc;
    orc.Name = "Orc";
    orc.Scale = 1.0f;
    game::CreatureLists().CreatureKinds.push_back(orc);
  }
  void TearDown() override { ResetWorld(); }
  static void ResetWorld() {
    game::MapReset();
    game::ScriptHostReset();
    game::WallsReset();
    game::CreaturesReset();
    game::FloorReset();
    game::RegistryReset();
    game::GameCoreReset();
  }
  // A map of w x h tiles, every cell "Plane" with grass.jpg.
  static TMapFile Grass(uint16_t w, uint16_t h) {
    TMapFile map;
    map.FloorKindNames = {"Plane"};
    map.FloorTextureNames = {"grass.jpg"};
    map.WallKindNames = {"Stone"};
    map.CreatureKindNames = {"Orc"};
    map.MapWidth = static_cast<uint16_t>(w - 1);
    map.MapHeight = static_cast<uint16_t>(h - 1);
    map.Cells.resize(static_cast<size_t>(w) * h);
    return map;
  }
  std::string Save(const std::vector<uint8_t>& bytes) {
    std::string path = (dir_ / "maps/test.map").string();
    testsupport::WriteBytes(path, bytes);
    return path;
  }
  std::string Save(const TMapFile& map) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(game::MapFileWrite(map, &bytes, &error)) << error;
    return Save(bytes);
  }
  std::string Load(const TMapFile& map) { return game::MapLoad(Save(map)); }

  std::filesystem::path dir_;
};

TEST_F(MapLoadTest, CellsAreReadRowByRow) {
  // 10 x 5 tiles, each naming its own texture; the table lists them backwards, so the order in
  // which new textures are loaded is the order in which cells are read.
  TMapFile map = Grass(10, 5);
  for (int i = 49; i >= 0; --i) map.FloorTextureNames.push_back("t" + std::to_string(i) + ".png");
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) map.Cell(x, y).Texture = static_cast<uint16_t>(1 + 49 - (y * 10 + x));
  ASSERT_EQ(Load(map), "");
  EXPECT_EQ(game::Registry().MapWidth, 9);
  EXPECT_EQ(game::Registry().MapHeight, 4);
  ASSERT_EQ(Floor().FloorTextureNames.size(), 51u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Floor().FloorTextureNames[static_cast<size_t>(i) + 1], "t" + std::to_string(i) + ".png");
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(FloorCell(x, y).Texture, 1 + y * 10 + x) << x << "," << y;
  // Beyond X 9 or Y 4 is outside the map for placing.
  EXPECT_EQ(game::CreateWall("Stone", 10, 0, 0, 0), 0);
  EXPECT_EQ(game::CreateWall("Stone", 0, 5, 0, 0), 0);
  EXPECT_NE(game::CreateWall("Stone", 9, 4, 0, 0), 0);
  EXPECT_EQ(game::CreateCreature("Orc", 9, 5, 0), 0);
}

TEST_F(MapLoadTest, OnlyTheExactNamePlaneCarriesATexture) {
  TMapFile map = Grass(3, 1);
  map.FloorKindNames = {"plane", "Plane", "Water"};
  map.FloorTextureNames = {"grass.jpg", "b.png"};
  map.Cell(0, 0) = {0, 0};  // "plane": the file holds no texture for it
  map.Cell(1, 0) = {1, 1};
  map.Cell(2, 0) = {2, 0};  // no floor kind of that name: the cell stays as it was
  FloorCell(0, 0).Texture = 7;
  FloorCell(2, 0).Texture = 9;
  ASSERT_EQ(Load(map), "");
  EXPECT_EQ(FloorCell(0, 0).Name, "Plane") << "the kind is found without regard to case";
  EXPECT_EQ(FloorCell(0, 0).Texture, 0) << "the kind's own texture, none read from the file";
  EXPECT_EQ(FloorCell(1, 0).Texture, 1) << "the next cell was read in step";
  EXPECT_EQ(Floor().FloorTextureNames.back(), "b.png");
  EXPECT_EQ(FloorCell(2, 0).Texture, 9);
}

TEST_F(MapLoadTest, TexturesAreSharedByFileName) {
  Floor().FloorTextureNames.push_back("rock.png");  // index 1
  Floor().FloorTextures.push_back(Floor().FloorTextures[0]);
  Floor().FloorTextureNames.push_back("rock.png");  // index 2: the last equal entry wins
  Floor().FloorTextures.push_back(Floor().FloorTextures[0]);
  TMapFile map = Grass(5, 1);
  map.FloorTextureNames = {"grass.jpg", "rock.png", "sand.png", "Grass.jpg"};
  const uint16_t textures[5] = {0, 2, 1, 2, 3};
  for (int x = 0; x < 5; ++x) map.Cell(x, 0).Texture = textures[x];
  ASSERT_EQ(Load(map), "");
  EXPECT_EQ(FloorCell(0, 0).Texture, 0) << "the start texture under its bare name";
  EXPECT_EQ(FloorCell(1, 0).Texture, 3) << "a new name is loaded once";
  EXPECT_EQ(FloorCell(2, 0).Texture, 2);
  EXPECT_EQ(FloorCell(3, 0).Texture, 3) << "and then shared";
  EXPECT_EQ(FloorCell(4, 0).Texture, 4) << "names compare exactly";
  EXPECT_EQ(Floor().FloorTextureNames,
            (std::vector<std::string>{"grass.jpg", "rock.png", "rock.png", "sand.png", "Grass.jpg"}));
}

TEST_F(MapLoadTest, ANameWithAFolderIsLoadedOnceAMapNotOnceACell) {
  // Kept without its folder, the name is never found again by the lookup; the load remembers it.
  TMapFile map = Grass(20, 20);
  map.FloorTextureNames = {"sub/rock.png", "grass.jpg"};
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) map.Cell(x, y).Texture = static_cast<uint16_t>(x < 10 ? 0 : 900);
  map.Cell(19, 19).Texture = 1;
  game::DiagnosticsReset();
  game::DiagnosticsSetEcho(false);
  ASSERT_EQ(Load(map), "");
  EXPECT_EQ(Floor().FloorTextureNames, (std::vector<std::string>{"grass.jpg", "rock.png", ""}))
      << "one texture for the folder's name, one for every index outside the table";
  EXPECT_EQ(FloorCell(9, 19).Texture, 1);
  EXPECT_EQ(FloorCell(10, 0).Texture, 2);
  EXPECT_EQ(FloorCell(19, 19).Texture, 0);
  std::vector<std::string> unreadable;
  for (const game::TProblem& p : game::Problems())
    if (p.Message.find("cannot be read") != std::string::npos) unreadable.push_back(p.Message);
  EXPECT_EQ(unreadable, (std::vector<std::string>{
                            "floor texture \"Data/Textures/sub/rock.png\" of cell (0, 0) cannot be read: no such file",
                            "floor texture \"Data/Textures/\" of cell (10, 0) cannot be read: no such file"}));
  game::DiagnosticsReset();
}

TEST_F(MapLoadTest, AWallThatCannotBePlacedStopsTheLoad) {
  TMapFile map = Grass(20, 20);
  map.FloorTextureNames = {"grass.jpg", "last.png"};
  map.Cell(19, 19).Texture = 1;
  map.Walls = {{0, 1, 1, 0, 10}, {0, 25, 1, 0, 11}, {0, 2, 2, 0, 12}};
  map.Creatures = {{0, 3, 3, 0, 1, 0}};
  map.Blocks = {{"Start Map", {"begin end."}}};
  EXPECT_EQ(Load(map), "Wall \"Stone\" not found.");
  EXPECT_EQ(FloorCell(19, 19).Texture, 1) << "the floor is complete";
  ASSERT_EQ(game::WallLists().Walls.size(), 1u);
  EXPECT_EQ(game::WallLists().Walls[0].ID, 10);
  EXPECT_TRUE(game::CreatureLists().Creatures.empty()) << "later records are not read";
  EXPECT_TRUE(game::ScriptBlocks().Blocks.empty()) << "nor the script blocks";

  // The same through MapStart: reported, and the game goes on.
  game::WallsReset();
  game::MapStart(Save(map));
  EXPECT_EQ(game::MapState().Messages, (std::vector<std::string>{"Wall \"Stone\" not found."}));
}

TEST_F(MapLoadTest, PlacementFailuresNameTheKind) {
  TMapFile map = Grass(20, 20);
  map.WallKindNames = {"Stone", "Marble"};
  map.Walls = {{1, 1, 1, 0, 10}};
  EXPECT_EQ(Load(map), "Wall \"Marble\" not found.");

  game::WallsReset();
  map.Walls = {{0, 4, 4, 0, 1}, {0, 4, 4, 0, 2}};  // the tile is taken
  EXPECT_EQ(Load(map), "Wall \"Stone\" not found.");

  // An index outside the name table names nothing, not even the kind without a name.
  game::WallsReset();
  map.Walls = {{5, 4, 4, 0, 1}};
  EXPECT_EQ(Load(map), "Wall \"\" not found.");

  game::WallsReset();
  map.Walls = {};
  map.Creatures = {{0, 1, 1, 0, 1, 0}, {0, 1, 1, 90, 2, 1}, {0, 2, 2, 0, 3, 0}};
  map.Blocks = {{"Start Map", {"begin end."}}};
  EXPECT_EQ(Load(map), "Creature \"Orc\" not found.");
  EXPECT_EQ(game::CreatureLists().Creatures.size(), 1u);
  EXPECT_TRUE(game::ScriptBlocks().Blocks.empty());
}

TEST_F(MapLoadTest, StoredIdsAndOwnersReplaceWhatPlacingChose) {
  TMapFile map = Grass(20, 20);
  map.Walls = {{0, 1, 1, 0, 500}, {0, 2, 1, 90, 0}};
  map.Creatures = {{0, 5, 5, 0, 42, 1}, {0, 6, 5, 0, 42, 3}, {0, 7, 5, 0, 9, 0}};
  map.Blocks = {{"Start Map", {"a := 1; // one", "b := '//';"}}, {"Touch Wall", {}}};
  ASSERT_EQ(Load(map), "");
  EXPECT_EQ(game::WallLists().Walls[0].ID, 500);
  EXPECT_EQ(game::WallLists().Walls[1].ID, 0);
  const std::vector<game::TCreature>& c = game::CreatureLists().Creatures;
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].ID, 42);
  EXPECT_EQ(c[1].ID, 42) << "two creatures may carry the same stored ID";
  EXPECT_EQ(c[2].ID, 9);
  EXPECT_EQ(c[0].Owner, 1);
  EXPECT_EQ(c[1].Owner, 3);
  EXPECT_EQ(game::FindCreature(42), 0);
  // MapLoad keeps the lines as stored; MapStart strips their comments.
  ASSERT_EQ(game::ScriptBlocks().Blocks.size(), 2u);
  EXPECT_EQ(game::ScriptBlocks().Blocks[0].Lines[0], "a := 1; // one");

  ResetWorld();
  SetUp();
  game::MapStart(Save(map));
  EXPECT_TRUE(game::MapState().Messages.empty());
  EXPECT_EQ(game::ScriptBlocks().Blocks[0].Name, "Start Map");
  EXPECT_EQ(game::ScriptBlocks().Blocks[0].Lines, (std::vector<std::string>{"a := 1; ", "b := '"}));
}

TEST_F(MapLoadTest, CountsOfZeroAndBelowReadNoRecords) {
  Bytes bytes;
  bytes.Table({"Plane"}).Table({"grass.jpg"}).Table({"Stone"}).Table({"Orc"}).U16(1).U16(0);
  bytes.U16(0).U16(0).U16(0).U16(0);  // two cells
  bytes.I32(-3);                      // walls: none follow
  bytes.I32(0);                       // creatures: none follow
  bytes.U16(1).Str("Start Map").U16(1).Str("begin end.");
  ASSERT_EQ(game::MapLoad(Save(bytes.b)), "");
  EXPECT_TRUE(game::WallLists().Walls.empty());
  EXPECT_TRUE(game::CreatureLists().Creatures.empty());
  ASSERT_EQ(game::ScriptBlocks().Blocks.size(), 1u) << "the blocks were read where they are";
  EXPECT_EQ(game::ScriptBlocks().Blocks[0].Lines[0], "begin end.");
}

TEST_F(MapLoadTest, ASizeAbove99IsRefusedBeforeAnythingChanges) {
  for (uint16_t w : {100, 65535}) {
    Bytes bytes;
    bytes.Table({"Plane"}).Table({"other.png"}).Table({"Stone"}).Table({"Orc"}).U16(w).U16(3);
    for (int i = 0; i < 4 * (w + 1); ++i) bytes.U16(0).U16(0);
    bytes.I32(1).U16(0).I32(1).I32(1).F32(0).U16(1).I32(0).U16(0);
    game::MapStart(Save(bytes.b));
    EXPECT_EQ(game::MapState().Messages.back(), "Map size exceeds 100 x 100 tiles.");
    EXPECT_EQ(game::Registry().MapWidth, 19);
    EXPECT_EQ(game::Registry().MapHeight, 19);
    EXPECT_EQ(Floor().FloorTextureNames.size(), 1u) << "no cell was applied";
    EXPECT_TRUE(game::WallLists().Walls.empty());
  }
  // 99 is the largest size that fits.
  EXPECT_EQ(Load(Grass(100, 100)), "");
  EXPECT_EQ(game::Registry().MapWidth, 99);
  EXPECT_EQ(FloorCell(99, 99).Name, "Plane");
}

TEST_F(MapLoadTest, AMissingOrShortFileEndsTheStartNamingIt) {
  std::string missing = (dir_ / "maps/none.map").string();
  try {
    game::MapStart(missing);
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "File not found");
    EXPECT_EQ(e.file(), missing);
  }

  TMapFile map = Grass(4, 4);
  map.Walls = {{0, 1, 1, 0, 1}};
  map.Creatures = {{0, 2, 2, 0, 1, 0}};
  map.Blocks = {{"Start Map", {"begin", "end."}}};
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(game::MapFileWrite(map, &bytes, &error));
  for (size_t cut : {size_t{1}, size_t{20}, bytes.size() / 2, bytes.size() - 1}) {
    ResetWorld();
    SetUp();
    std::string path = Save(std::vector<uint8_t>(bytes.begin(), bytes.end() - static_cast<long>(cut)));
    try {
      game::MapLoad(path);
      ADD_FAILURE() << "no error when " << cut << " bytes are missing";
    } catch (const game::FatalError& e) {
      EXPECT_STREQ(e.what(), "Read beyond end of file");
      EXPECT_EQ(e.file(), path);
    }
  }

  // A file that ends after a wall that cannot be placed: the load stops at that wall, before the
  // end is reached, as reading front to back does.
  ResetWorld();
  SetUp();
  map.Walls = {{0, 1, 1, 0, 1}, {0, 40, 1, 0, 2}};
  ASSERT_TRUE(game::MapFileWrite(map, &bytes, &error));
  bytes.resize(bytes.size() - 3);
  EXPECT_EQ(game::MapLoad(Save(bytes)), "Wall \"Stone\" not found.");
}

}  // namespace
