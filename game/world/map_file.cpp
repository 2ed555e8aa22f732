// Reading and writing the binary map layout.
#include "game/world/map_file.h"

#include <cstring>
#include <fstream>

#include "engine/data_file.h"

namespace game {

namespace {

const char kReadBeyondEnd[] = "Read beyond end of file";
const char kSizeTooLarge[] = "Map size exceeds 100 x 100 tiles.";

// Front-to-back reading of little-endian values with a bounds check on every read.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool U8(uint8_t* v) {
    if (size_ - pos_ < 1) return false;
    *v = data_[pos_++];
    return true;
  }
  bool U16(uint16_t* v) {
    if (size_ - pos_ < 2) return false;
    *v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool U32(uint32_t* v) {
    if (size_ - pos_ < 4) return false;
    *v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
         (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
  }
  bool I32(int32_t* v) {
    uint32_t u;
    if (!U32(&u)) return false;
    *v = static_cast<int32_t>(u);
    return true;
  }
  bool F32(float* v) {
    uint32_t u;
    if (!U32(&u)) return false;
    std::memcpy(v, &u, 4);
    return true;
  }
  bool String(std::string* s) {
    uint16_t len;
    if (!U16(&len) || size_ - pos_ < len) return false;
    s->assign(reinterpret_cast<const char*>(data_ + pos_), len);
    pos_ += len;
    return true;
  }
  bool Table(std::vector<std::string>* table) {
    uint16_t count;
    if (!U16(&count)) return false;
    table->clear();
    for (uint16_t i = 0; i < count; ++i) {
      std::string s;
      if (!String(&s)) return false;
      table->push_back(std::move(s));
    }
    return true;
  }
  size_t Position() const { return pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>* out) : out_(out) {}
  void U8(uint8_t v) { out_->push_back(v); }
  void U16(uint16_t v) {
    out_->push_back(static_cast<uint8_t>(v));
    out_->push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_->push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  bool String(const std::string& s, std::string* error) {
    if (s.size() > 0xFFFF) {
      *error = "a text of " + std::to_string(s.size()) + " bytes is longer than a map can store (65535)";
      return false;
    }
    U16(static_cast<uint16_t>(s.size()));
    out_->insert(out_->end(), s.begin(), s.end());
    return true;
  }
  bool Table(const std::vector<std::string>& table, const char* what, std::string* error) {
    if (table.size() > 0xFFFF) {
      *error = std::string("the ") + what + " table has more than 65535 names";
      return false;
    }
    U16(static_cast<uint16_t>(table.size()));
    for (const std::string& s : table)
      if (!String(s, error)) return false;
    return true;
  }

 private:
  std::vector<uint8_t>* out_;
};

bool Fail(std::string* error, const char* message) {
  if (error) *error = message;
  return false;
}

}  // namespace

bool MapCellHasTexture(const std::string& floorKindName) { return floorKindName == "Plane"; }

const std::string& MapTableName(const std::vector<std::string>& table, uint16_t index) {
  static const std::string empty;
  return index < table.size() ? table[index] : empty;
}

bool MapFileReadFromMemory(const uint8_t* data, size_t size, TMapFile* map, std::string* error,
                           size_t* consumed) {
  *map = TMapFile{};
  Reader in(data, size);
  if (!in.Table(&map->FloorKindNames) || !in.Table(&map->FloorTextureNames) ||
      !in.Table(&map->WallKindNames) || !in.Table(&map->CreatureKindNames))
    return Fail(error, kReadBeyondEnd);
  // Each size is checked as soon as it is read: a file that ends between the two must not leave
  // an oversized width behind for a caller that applies what was read.
  if (!in.U16(&map->MapWidth)) return Fail(error, kReadBeyondEnd);
  if (map->MapWidth > MapMaxIndex) return Fail(error, kSizeTooLarge);
  if (!in.U16(&map->MapHeight)) return Fail(error, kReadBeyondEnd);
  if (map->MapHeight > MapMaxIndex) return Fail(error, kSizeTooLarge);

  size_t cells = (map->MapWidth + 1u) * (map->MapHeight + 1u);
  map->Cells.resize(cells);
  for (TMapCell& cell : map->Cells) {
    if (!in.U16(&cell.Kind)) return Fail(error, kReadBeyondEnd);
    if (MapCellHasTexture(MapTableName(map->FloorKindNames, cell.Kind)) && !in.U16(&cell.Texture))
      return Fail(error, kReadBeyondEnd);
  }

  // Counts come from the file: records are read one by one, never allocated ahead, so a count
  // that promises more than the data holds fails at the end of the data.
  int32_t walls;
  if (!in.I32(&walls)) return Fail(error, kReadBeyondEnd);
  map->WallCountInFile = walls;
  for (int32_t i = 0; i < walls; ++i) {
    TMapWall w;
    if (!in.U16(&w.Kind) || !in.I32(&w.X) || !in.I32(&w.Y) || !in.F32(&w.Angle) || !in.U16(&w.ID))
      return Fail(error, kReadBeyondEnd);
    map->Walls.push_back(w);
  }
  int32_t creatures;
  if (!in.I32(&creatures)) return Fail(error, kReadBeyondEnd);
  map->CreatureCountInFile = creatures;
  for (int32_t i = 0; i < creatures; ++i) {
    TMapCreature c;
    if (!in.U16(&c.Kind) || !in.I32(&c.X) || !in.I32(&c.Y) || !in.F32(&c.Angle) || !in.U16(&c.ID) ||
        !in.U8(&c.Owner))
      return Fail(error, kReadBeyondEnd);
    map->Creatures.push_back(c);
  }
  uint16_t blocks;
  if (!in.U16(&blocks)) return Fail(error, kReadBeyondEnd);
  for (uint16_t b = 0; b < blocks; ++b) {
    TMapScriptBlock block;
    uint16_t lines;
    if (!in.String(&block.Name) || !in.U16(&lines)) return Fail(error, kReadBeyondEnd);
    for (uint16_t l = 0; l < lines; ++l) {
      std::string line;
      if (!in.String(&line)) return Fail(error, kReadBeyondEnd);
      block.Lines.push_back(std::move(line));
    }
    map->Blocks.push_back(std::move(block));
  }
  if (consumed) *consumed = in.Position();
  return true;
}

bool MapFileLoad(const std::string& path, TMapFile* map, std::string* error) {
  std::vector<uint8_t> bytes;
  eng::DataFileResult read = eng::ReadDataFile(path, eng::MaxMapFileBytes, &bytes);
  if (read.Status == eng::DataFileStatus::Missing) return Fail(error, "File not found");
  if (read.Status != eng::DataFileStatus::Ok) return Fail(error, (path + " " + read.Reason).c_str());
  return MapFileReadFromMemory(bytes.data(), bytes.size(), map, error);
}

bool MapFileWrite(const TMapFile& map, std::vector<uint8_t>* bytes, std::string* error) {
  std::string reason;
  bytes->clear();
  Writer out(bytes);
  if (!out.Table(map.FloorKindNames, "floor kind", &reason) ||
      !out.Table(map.FloorTextureNames, "floor texture", &reason) ||
      !out.Table(map.WallKindNames, "wall kind", &reason) ||
      !out.Table(map.CreatureKindNames, "creature kind", &reason)) {
    if (error) *error = reason;
    return false;
  }
  out.U16(map.MapWidth);
  out.U16(map.MapHeight);
  size_t cells = (map.MapWidth + 1u) * (map.MapHeight + 1u);
  for (size_t i = 0; i < cells; ++i) {
    TMapCell cell = i < map.Cells.size() ? map.Cells[i] : TMapCell{};
    out.U16(cell.Kind);
    if (MapCellHasTexture(MapTableName(map.FloorKindNames, cell.Kind))) out.U16(cell.Texture);
  }
  if (map.Walls.size() > 0x7FFFFFFF || map.Creatures.size() > 0x7FFFFFFF || map.Blocks.size() > 0xFFFF) {
    if (error) *error = "too many walls, creatures or script blocks for a map";
    return false;
  }
  out.I32(static_cast<int32_t>(map.Walls.size()));
  for (const TMapWall& w : map.Walls) {
    out.U16(w.Kind);
    out.I32(w.X);
    out.I32(w.Y);
    out.F32(w.Angle);
    out.U16(w.ID);
  }
  out.I32(static_cast<int32_t>(map.Creatures.size()));
  for (const TMapCreature& c : map.Creatures) {
    out.U16(c.Kind);
    out.I32(c.X);
    out.I32(c.Y);
    out.F32(c.Angle);
    out.U16(c.ID);
    out.U8(c.Owner);
  }
  out.U16(static_cast<uint16_t>(map.Blocks.size()));
  for (const TMapScriptBlock& block : map.Blocks) {
    if (block.Lines.size() > 0xFFFF) {
      if (error) *error = "script block \"" + block.Name + "\" has more than 65535 lines";
      return false;
    }
    if (!out.String(block.Name, &reason)) {
      if (error) *error = reason;
      return false;
    }
    out.U16(static_cast<uint16_t>(block.Lines.size()));
    for (const std::string& line : block.Lines)
      if (!out.String(line, &reason)) {
        if (error) *error = reason;
        return false;
      }
  }
  return true;
}

bool MapFileSave(const std::string& path, const TMapFile& map, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!MapFileWrite(map, &bytes, error)) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return Fail(error, ("cannot write " + path).c_str());
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) return Fail(error, ("cannot write " + path).c_str());
  return true;
}

}  // namespace game
