// The binary map file: its exact little-endian layout as a record (name tables, size, floor
// cells, walls, creatures, script blocks), read from memory and written back byte for byte.
// Placing what it holds into the world is the map loader's business, not this module's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace game {

constexpr int32_t MapMaxIndex = 99;  // largest tile index that fits the 100 x 100 grids

// A script block as the map stores it (the script host keeps its own table of them).
struct TMapScriptBlock {
  std::string Name;
  std::vector<std::string> Lines;
};

struct TMapCell {
  uint16_t Kind = 0;     // index into FloorKindNames
  uint16_t Texture = 0;  // index into FloorTextureNames; in the file only when the kind is "Plane"
};

struct TMapWall {
  uint16_t Kind = 0;  // index into WallKindNames
  int32_t X = 0;
  int32_t Y = 0;
  float Angle = 0.0f;
  uint16_t ID = 0;
};

struct TMapCreature {
  uint16_t Kind = 0;  // index into CreatureKindNames
  int32_t X = 0;
  int32_t Y = 0;
  float Angle = 0.0f;
  uint16_t ID = 0;
  uint8_t Owner = 0;
};

struct TMapFile {
  std::vector<std::string> FloorKindNames;
  std::vector<std::string> FloorTextureNames;
  std::vector<std::string> WallKindNames;
  std::vector<std::string> CreatureKindNames;
  uint16_t MapWidth = 0;   // largest tile X index
  uint16_t MapHeight = 0;  // largest tile Y index
  std::vector<TMapCell> Cells;  // rows of Y = 0..MapHeight, each X = 0..MapWidth
  std::vector<TMapWall> Walls;
  std::vector<TMapCreature> Creatures;
  std::vector<TMapScriptBlock> Blocks;
  // The counts as the file gives them (a count of 0 or below reads no records); the writer
  // writes the sizes of the lists instead.
  int32_t WallCountInFile = 0;
  int32_t CreatureCountInFile = 0;

  // Cell (x, y) of the row-major list.
  TMapCell& Cell(int32_t x, int32_t y) { return Cells[static_cast<size_t>(y) * (MapWidth + 1u) + static_cast<size_t>(x)]; }
  const TMapCell& Cell(int32_t x, int32_t y) const {
    return Cells[static_cast<size_t>(y) * (MapWidth + 1u) + static_cast<size_t>(x)];
  }
};

// Whether a cell of this floor kind carries a texture index: only the kind named exactly "Plane".
bool MapCellHasTexture(const std::string& floorKindName);
// The name at `index` of a name table, or the empty name for an index outside it.
const std::string& MapTableName(const std::vector<std::string>& table, uint16_t index);

// Reads a map from memory. Fails with "Read beyond end of file" when the data ends before its
// counts say, and with "Map size exceeds 100 x 100 tiles." when a size is above 99; indices into
// the name tables are kept as stored. A wall or creature count of 0 or below gives no records.
// `consumed` (optional) receives the number of bytes the map took (trailing bytes are ignored).
bool MapFileReadFromMemory(const uint8_t* data, size_t size, TMapFile* map, std::string* error,
                           size_t* consumed = nullptr);
// Reads a map file; "File not found" when it does not exist, the path and why for a file that is
// no regular file or is larger than the map size limit.
bool MapFileLoad(const std::string& path, TMapFile* map, std::string* error);
// The bytes of a map. A cell's Texture is written only for a "Plane" cell; the number of cells
// written is (MapHeight + 1) x (MapWidth + 1), missing ones as zero. Name tables, lines and
// strings longer than 65535 entries or bytes cannot be stored: false with the reason.
bool MapFileWrite(const TMapFile& map, std::vector<uint8_t>* bytes, std::string* error);
// Writes the bytes of MapFileWrite to a file; false with the reason.
bool MapFileSave(const std::string& path, const TMapFile& map, std::string* error);

}  // namespace game
