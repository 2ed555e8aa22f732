// The MD2 model reader.
#include "game/models/format_md2.h"

#include <cstring>

#include "engine/data_file.h"

namespace game {

namespace {

// The largest mesh we agree to build: frames x (two vectors per vertex + one per triangle), 12
// bytes each. Above what the largest model the format allows (512 frames of 4096 vertices and
// triangles) needs; it stops a small hostile file from asking for gigabytes.
constexpr int64_t kMaxMeshVectors = int64_t{1} << 23;

int32_t GetLE32(const uint8_t* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return static_cast<int32_t>(v);
}

int16_t GetLE16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

float GetFloat(const uint8_t* p) {
  uint32_t bits = static_cast<uint32_t>(GetLE32(p));
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

Md2Status Refuse(TMD2Model* model, std::string* reason, Md2Status status, const char* why) {
  *model = TMD2Model{};
  if (reason) *reason = why;
  return status;
}

// Whether count records of `recordSize` bytes starting at `offset` lie inside the file. Empty
// blocks fit wherever their offset points, since nothing is read from them.
bool BlockFits(int32_t offset, int32_t count, int64_t recordSize, size_t fileSize) {
  if (count == 0) return true;
  if (offset < 0 || count < 0) return false;
  int64_t end = static_cast<int64_t>(offset) + static_cast<int64_t>(count) * recordSize;
  return end <= static_cast<int64_t>(fileSize);
}

}  // namespace

Md2Status MD2LoadFromMemory(TMD2Model* model, const uint8_t* data, size_t size, std::string* reason) {
  *model = TMD2Model{};
  // A file too short to hold the identifier cannot hold "IDP2".
  if (size < 4 || GetLE32(data) != kMd2Ident) return Refuse(model, reason, Md2Status::NotMD2, kMd2NotValid);
  if (size < kMd2HeaderSize) return Refuse(model, reason, Md2Status::Malformed, "truncated header");

  TMD2Header& h = model->Header;
  int32_t* fields[] = {&h.Ident,         &h.Version,     &h.SkinWidth,    &h.SkinHeight,   &h.FrameSize,
                       &h.NumSkins,      &h.NumVertices, &h.NumTexCoords, &h.NumTriangles, &h.NumGLCommands,
                       &h.NumFrames,     &h.OfsSkins,    &h.OfsTexCoords, &h.OfsTriangles, &h.OfsFrames,
                       &h.OfsGLCommands, &h.OfsEnd};
  for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = GetLE32(data + 4 * i);
  // The version is ignored and the GL commands are never read.
  h.NumGLCommands = 0;

  if (h.NumSkins < 0 || h.NumVertices < 0 || h.NumTexCoords < 0 || h.NumTriangles < 0 || h.NumFrames < 0)
    return Refuse(model, reason, Md2Status::Malformed, "negative count");
  if (h.NumFrames > 0 && h.FrameSize < static_cast<int32_t>(kMd2FrameHeaderSize))
    return Refuse(model, reason, Md2Status::Malformed, "frame size below 40");
  if (h.NumFrames > 0 && static_cast<int64_t>(h.NumVertices) * 4 > static_cast<int64_t>(h.FrameSize) - 40)
    return Refuse(model, reason, Md2Status::Malformed, "frame records too small for the vertex count");
  if (h.NumTexCoords > 0 && (h.SkinWidth <= 0 || h.SkinHeight <= 0))
    return Refuse(model, reason, Md2Status::Malformed, "texture coordinates without a skin size");
  if (!BlockFits(h.OfsSkins, h.NumSkins, 64, size) || !BlockFits(h.OfsTexCoords, h.NumTexCoords, 4, size) ||
      !BlockFits(h.OfsTriangles, h.NumTriangles, 12, size) ||
      !BlockFits(h.OfsFrames, h.NumFrames, h.FrameSize, size))
    return Refuse(model, reason, Md2Status::Malformed, "data outside the file");
  // Without frames nothing in the file backs the vertex count, so it is capped on its own too.
  if (static_cast<int64_t>(h.NumFrames) * (2 * static_cast<int64_t>(h.NumVertices) + h.NumTriangles) >
          kMaxMeshVectors ||
      h.NumVertices > kMaxMeshVectors)
    return Refuse(model, reason, Md2Status::Malformed, "model too large");

  model->Skins.resize(static_cast<size_t>(h.NumSkins));
  for (size_t i = 0; i < model->Skins.size(); ++i)
    std::memcpy(model->Skins[i].data(), data + static_cast<size_t>(h.OfsSkins) + 64 * i, 64);

  model->TexCoords.resize(static_cast<size_t>(h.NumTexCoords));
  for (size_t i = 0; i < model->TexCoords.size(); ++i) {
    const uint8_t* p = data + static_cast<size_t>(h.OfsTexCoords) + 4 * i;
    model->TexCoords[i].S = GetLE16(p);
    model->TexCoords[i].T = GetLE16(p + 2);
  }

  model->Triangles.resize(static_cast<size_t>(h.NumTriangles));
  for (size_t i = 0; i < model->Triangles.size(); ++i) {
    const uint8_t* p = data + static_cast<size_t>(h.OfsTriangles) + 12 * i;
    TMD2Triangle& t = model->Triangles[i];
    for (size_t k = 0; k < 3; ++k) {
      t.Vertex[k] = GetLE16(p + 2 * k);
      t.St[k] = GetLE16(p + 6 + 2 * k);
      if (t.Vertex[k] < 0 || t.Vertex[k] >= h.NumVertices)
        return Refuse(model, reason, Md2Status::Malformed, "triangle names a vertex that does not exist");
      // Without texture coordinates the texture indices are never used.
      if (h.NumTexCoords > 0 && (t.St[k] < 0 || t.St[k] >= h.NumTexCoords))
        return Refuse(model, reason, Md2Status::Malformed,
                      "triangle names a texture coordinate that does not exist");
    }
  }

  // Frames follow each other without gaps, each FrameSize bytes long.
  size_t vertexSlots = h.NumFrames > 0 ? static_cast<size_t>(h.FrameSize - 40) / 4 : 0;
  model->Frames.resize(static_cast<size_t>(h.NumFrames));
  for (size_t f = 0; f < model->Frames.size(); ++f) {
    const uint8_t* p = data + static_cast<size_t>(h.OfsFrames) + static_cast<size_t>(h.FrameSize) * f;
    TMD2Frame& frame = model->Frames[f];
    for (size_t k = 0; k < 3; ++k) {
      frame.Scale[k] = GetFloat(p + 4 * k);
      frame.Translate[k] = GetFloat(p + 12 + 4 * k);
    }
    std::memcpy(frame.Name.data(), p + 24, 16);
    frame.Vertices.resize(vertexSlots);
    for (size_t v = 0; v < vertexSlots; ++v) {
      const uint8_t* q = p + 40 + 4 * v;
      frame.Vertices[v] = TMD2Vertex{q[0], q[1], q[2], q[3]};
    }
  }
  if (reason) reason->clear();
  return Md2Status::Ok;
}

Md2Status MD2LoadFromFile(TMD2Model* model, const std::string& fileName, std::string* reason) {
  std::vector<uint8_t> bytes;
  eng::DataFileResult read = eng::ReadDataFile(fileName, eng::MaxDataFileBytes, &bytes);
  if (read.Status != eng::DataFileStatus::Ok)
    return Refuse(model, reason, Md2Status::Unreadable, read.Reason.c_str());
  return MD2LoadFromMemory(model, bytes.data(), bytes.size(), reason);
}

}  // namespace game
