// The binary map layout: a hand-checked file, truncation, the size limit and the quirks of the
// cell records.
#include "game/world/map_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "game/world/map_text.h"
#include "tests/support/test_support.h"

namespace {

// A tiny map written out by hand from the layout: 2 x 1 tiles ("Plane" with grass.jpg, then
// "Water"), one wall, one creature, one script block.
const std::vector<uint8_t> kTinyMap = {
    0x02, 0x00,                                                  // floor kinds: 2
    0x05, 0x00, 'P', 'l', 'a', 'n', 'e',                         //   "Plane"
    0x05, 0x00, 'W', 'a', 't', 'e', 'r',                         //   "Water"
    0x01, 0x00,                                                  // floor textures: 1
    0x09, 0x00, 'g', 'r', 'a', 's', 's', '.', 'j', 'p', 'g',     //   "grass.jpg"
    0x01, 0x00, 0x05, 0x00, 'S', 't', 'o', 'n', 'e',             // wall kinds: "Stone"
    0x01, 0x00, 0x03, 0x00, 'O', 'r', 'c',                       // creature kinds: "Orc"
    0x01, 0x00,                                                  // MapWidth 1
    0x00, 0x00,                                                  // MapHeight 0
    0x00, 0x00, 0x00, 0x00,                                      // cell (0,0): Plane, texture 0
    0x01, 0x00,                                                  // cell (1,0): Water, no texture
    0x01, 0x00, 0x00, 0x00,                                      // walls: 1
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //   Stone at (1, 0)
    0x00, 0x00, 0xB4, 0x42, 0x07, 0x00,                          //   angle 90.0, ID 7
    0x01, 0x00, 0x00, 0x00,                                      // creatures: 1
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //   Orc at (0, 0)
    0x00, 0x00, 0x34, 0x43, 0x03, 0x00, 0x01,                    //   angle 180.0, ID 3, owner 1
    0x01, 0x00,                                                  // script blocks: 1
    0x09, 0x00, 'S', 't', 'a', 'r', 't', ' ', 'M', 'a', 'p',     //   "Start Map"
    0x01, 0x00,                                                  //   1 line
    0x0A, 0x00, 'x', ':', '=', '1', ';', ' ', '/', '/', ' ', 'c'};

const char kTinyText[] =
    "size 2 1\n"
    "legend . Plane grass.jpg\n"
    "legend ~ Water\n"
    "floor\n"
    "  .~\n"
    "end\n"
    "wall Stone 1 0 90 7\n"
    "creature Orc 0 0 180 3 1\n"
    "script \"Start Map\" <<END\n"
    "x:=1; // c\n"
    "END\n";

TEST(MapFile, TinyMapMatchesTheHandWrittenBytes) {
  game::TMapFile map;
  game::TMapTextError error;
  ASSERT_TRUE(game::MapCompileText(kTinyText, "tiny.txt", &map, &error)) << error.Text();
  std::vector<uint8_t> bytes;
  std::string reason;
  ASSERT_TRUE(game::MapFileWrite(map, &bytes, &reason)) << reason;
  EXPECT_EQ(bytes, kTinyMap);

  game::TMapFile read;
  size_t consumed = 0;
  ASSERT_TRUE(game::MapFileReadFromMemory(kTinyMap.data(), kTinyMap.size(), &read, &reason, &consumed)) << reason;
  EXPECT_EQ(consumed, kTinyMap.size());
  EXPECT_EQ(read.MapWidth, 1);
  EXPECT_EQ(read.MapHeight, 0);
  ASSERT_EQ(read.Cells.size(), 2u);
  EXPECT_EQ(read.Cell(1, 0).Kind, 1);
  ASSERT_EQ(read.Walls.size(), 1u);
  EXPECT_EQ(read.Walls[0].X, 1);
  EXPECT_EQ(read.Walls[0].Angle, 90.0f);
  EXPECT_EQ(read.Walls[0].ID, 7);
  ASSERT_EQ(read.Creatures.size(), 1u);
  EXPECT_EQ(read.Creatures[0].Owner, 1);
  EXPECT_EQ(read.Creatures[0].ID, 3);
  ASSERT_EQ(read.Blocks.size(), 1u);
  EXPECT_EQ(read.Blocks[0].Name, "Start Map");
  EXPECT_EQ(read.Blocks[0].Lines, std::vector<std::string>{"x:=1; // c"}) << "the map keeps comments";
}

TEST(MapFile, EveryTruncationFailsAndTrailingBytesAreIgnored) {
  for (size_t n = 0; n < kTinyMap.size(); ++n) {
    game::TMapFile map;
    std::string error;
    EXPECT_FALSE(game::MapFileReadFromMemory(kTinyMap.data(), n, &map, &error)) << n;
    EXPECT_EQ(error, "Read beyond end of file") << n;
  }
  std::vector<uint8_t> longer = kTinyMap;
  longer.push_back(0xAB);
  game::TMapFile map;
  size_t consumed = 0;
  std::string error;
  EXPECT_TRUE(game::MapFileReadFromMemory(longer.data(), longer.size(), &map, &error, &consumed));
  EXPECT_EQ(consumed, kTinyMap.size());
}

// A map with no names and one kind per table, of the given size, every cell kind 0.
std::vector<uint8_t> Header(const std::string& floorKind, uint16_t width, uint16_t height) {
  std::vector<uint8_t> b = {0x01, 0x00, static_cast<uint8_t>(floorKind.size()), 0x00};
  for (char c : floorKind) b.push_back(static_cast<uint8_t>(c));
  b.insert(b.end(), {0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // no textures, walls or creatures kinds
  b.insert(b.end(), {static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(height),
                     static_cast<uint8_t>(height >> 8)});
  return b;
}

TEST(MapFile, SizeLimitAndCellOrder) {
  std::string error;
  game::TMapFile map;
  std::vector<uint8_t> wide = Header("Water", 100, 0);
  EXPECT_FALSE(game::MapFileReadFromMemory(wide.data(), wide.size(), &map, &error));
  EXPECT_EQ(error, "Map size exceeds 100 x 100 tiles.");
  std::vector<uint8_t> tall = Header("Water", 0, 0xFFFF);
  EXPECT_FALSE(game::MapFileReadFromMemory(tall.data(), tall.size(), &map, &error));
  EXPECT_EQ(error, "Map size exceeds 100 x 100 tiles.");
  // A file that ends between the two sizes: an oversized width is still refused as too large,
  // so nothing that applies what was read can take it.
  std::vector<uint8_t> cut = Header("Water", 0x3A00, 0);
  cut.resize(cut.size() - 2);
  EXPECT_FALSE(game::MapFileReadFromMemory(cut.data(), cut.size(), &map, &error));
  EXPECT_EQ(error, "Map size exceeds 100 x 100 tiles.");

  // MapWidth 9, MapHeight 4: 50 cells, rows of Y, X inside a row. Cell (x, y) names kind x + 10y
  // (an index outside the one-name table: kept as stored, and no texture follows).
  std::vector<uint8_t> b = Header("Water", 9, 4);
  for (int i = 0; i < 50; ++i) b.insert(b.end(), {static_cast<uint8_t>(i), 0x00});
  b.insert(b.end(), {0xFD, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // walls -3, creatures 0
  ASSERT_TRUE(game::MapFileReadFromMemory(b.data(), b.size(), &map, &error)) << error;
  ASSERT_EQ(map.Cells.size(), 50u);
  EXPECT_EQ(map.Cell(3, 2).Kind, 23);
  EXPECT_EQ(map.Cell(9, 4).Kind, 49);
  EXPECT_TRUE(map.Walls.empty()) << "a count below zero reads no records";
  EXPECT_EQ(game::MapTableName(map.FloorKindNames, 49), "");
  EXPECT_EQ(game::MapTableName(map.FloorKindNames, 0), "Water");
}

TEST(MapFile, OnlyTheExactNamePlaneCarriesATexture) {
  for (const char* name : {"plane", "PLANE", "Plane "}) {
    std::vector<uint8_t> b = Header(name, 0, 0);
    b.insert(b.end(), {0x00, 0x00});                                      // the cell: kind 0 only
    b.insert(b.end(), {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // no walls, no creatures
    b.insert(b.end(), {0x00, 0x00});                                      // no blocks
    game::TMapFile map;
    std::string error;
    size_t consumed = 0;
    ASSERT_TRUE(game::MapFileReadFromMemory(b.data(), b.size(), &map, &error, &consumed)) << name;
    EXPECT_EQ(consumed, b.size()) << name;
  }
  std::vector<uint8_t> plane = Header("Plane", 0, 0);
  plane.insert(plane.end(), {0x00, 0x00, 0x05, 0x00});
  plane.insert(plane.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  game::TMapFile map;
  std::string error;
  ASSERT_TRUE(game::MapFileReadFromMemory(plane.data(), plane.size(), &map, &error)) << error;
  EXPECT_EQ(map.Cell(0, 0).Texture, 5);
  std::vector<uint8_t> written;
  ASSERT_TRUE(game::MapFileWrite(map, &written, &error));
  EXPECT_EQ(written, plane);
}

TEST(MapFile, WriterRefusesWhatTheLayoutCannotHold) {
  game::TMapFile map;
  map.Cells.resize(1);
  map.FloorKindNames.push_back(std::string(70000, 'x'));
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(game::MapFileWrite(map, &bytes, &error));
  EXPECT_NE(error.find("65535"), std::string::npos) << error;
  map.FloorKindNames.clear();
  map.Blocks.push_back({"b", std::vector<std::string>(70000)});
  EXPECT_FALSE(game::MapFileWrite(map, &bytes, &error));
  EXPECT_NE(error.find("65535 lines"), std::string::npos) << error;
}

TEST(MapFile, LoadAndSave) {
  std::filesystem::path dir = testsupport::ScratchDir();
  game::TMapFile map;
  std::string error;
  EXPECT_FALSE(game::MapFileLoad((dir / "missing.map").string(), &map, &error));
  EXPECT_EQ(error, "File not found");
  testsupport::WriteBytes(dir / "tiny.map", kTinyMap);
  ASSERT_TRUE(game::MapFileLoad((dir / "tiny.map").string(), &map, &error)) << error;
  ASSERT_TRUE(game::MapFileSave((dir / "copy.map").string(), map, &error)) << error;
  EXPECT_EQ(testsupport::ReadBytes(dir / "copy.map"), kTinyMap);
}

}  // namespace
