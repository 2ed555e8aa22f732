// The MD2 model reader: loads the header, skin names, texture coordinates, triangles and key
// frames of an MD2 file unchanged (little-endian, packed vertices) for the mesh builder. GL
// commands are never read. A file whose counts and offsets do not fit inside it is refused
// instead of being read with holes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace game {

// The message of a file whose identifier is not "IDP2".
inline constexpr char kMd2NotValid[] = "Not a valid MD2 file!";

// The 68-byte header, seventeen 32-bit signed numbers in file order.
struct TMD2Header {
  int32_t Ident = 0;
  int32_t Version = 0;
  int32_t SkinWidth = 0;
  int32_t SkinHeight = 0;
  int32_t FrameSize = 0;  // bytes per frame record
  int32_t NumSkins = 0;
  int32_t NumVertices = 0;
  int32_t NumTexCoords = 0;
  int32_t NumTriangles = 0;
  int32_t NumGLCommands = 0;  // always 0 after loading
  int32_t NumFrames = 0;
  int32_t OfsSkins = 0;
  int32_t OfsTexCoords = 0;
  int32_t OfsTriangles = 0;
  int32_t OfsFrames = 0;
  int32_t OfsGLCommands = 0;
  int32_t OfsEnd = 0;
};
inline constexpr size_t kMd2HeaderSize = 68;
inline constexpr size_t kMd2FrameHeaderSize = 40;  // scale, translate, name
inline constexpr int32_t kMd2Ident = 0x32504449;   // "IDP2" read as a little-endian number

struct TMD2TexCoord {
  int16_t S = 0;
  int16_t T = 0;
};

struct TMD2Triangle {
  std::array<int16_t, 3> Vertex{};
  std::array<int16_t, 3> St{};
};

struct TMD2Vertex {
  uint8_t X = 0;
  uint8_t Y = 0;
  uint8_t Z = 0;
  uint8_t NormalIndex = 0;  // never used: the mesh computes its own normals
};

struct TMD2Frame {
  std::array<float, 3> Scale{};
  std::array<float, 3> Translate{};
  std::array<char, 16> Name{};
  std::vector<TMD2Vertex> Vertices;  // (FrameSize - 40) / 4 entries, as many as the record holds
};

struct TMD2Model {
  TMD2Header Header;
  std::vector<std::array<char, 64>> Skins;
  std::vector<TMD2TexCoord> TexCoords;
  std::vector<TMD2Triangle> Triangles;
  std::vector<TMD2Frame> Frames;
};

enum class Md2Status {
  Ok,
  NotMD2,      // wrong identifier: kMd2NotValid, which ends the start-up
  Malformed,   // counts, offsets, sizes or indices that cannot be trusted: no mesh
  Unreadable,  // the file cannot be opened or read
};

// Reads an MD2 file image into `model` (emptied first). Anything but Ok leaves the model empty
// and, when `reason` is given, says why.
Md2Status MD2LoadFromMemory(TMD2Model* model, const uint8_t* data, size_t size, std::string* reason);
// Reads the whole file and calls MD2LoadFromMemory.
Md2Status MD2LoadFromFile(TMD2Model* model, const std::string& fileName, std::string* reason);

}  // namespace game
