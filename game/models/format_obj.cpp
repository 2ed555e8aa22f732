// The OBJ model reader.
#include "game/models/format_obj.h"

#include "engine/data_file.h"
#include "game/core/fatal.h"
#include "game/world/defs.h"

namespace game {

namespace {

TObjMdl g_obj;

// The largest model we agree to build: two vectors per vertex and one per triangle. Far above any
// model the game draws (a million faces need about two million); it keeps a file of a few
// megabytes of "f 1 1 1" lines from asking for gigabytes.
constexpr size_t kMaxModelVectors = size_t{1} << 23;

float ToFloat(const std::string& fileName, int line, const std::string& text) {
  float value = 0.0f;
  if (!TryStrToFloat(text, &value)) throw FatalError(InvalidFloatMessage(text), fileName, line);
  return value;
}

// A 1-based index of the file made 0-based; wide, since the file may hold any 32-bit value.
int64_t ToIndex(const std::string& fileName, int line, const std::string& text) {
  int32_t value = 0;
  if (!TryStrToInt(text, &value)) throw FatalError(InvalidIntegerMessage(text), fileName, line);
  return static_cast<int64_t>(value) - 1;
}

// Reads one "f" line into `face` (indices 0-based, not yet checked against the arrays). False
// when a corner lacks a part its face form needs: such a line is skipped.
bool ReadFace(const std::string& fileName, int lineNo, const std::string& line,
              std::array<int64_t, 6>* face) {
  face->fill(0);
  std::string first = ObjField(line, 2, ' ');
  if (first.find("//") != std::string::npos) {
    // v//vn: only the vertex indices matter; the texture indices stay unset.
    for (int k = 0; k < 3; ++k) {
      std::string corner = ObjField(line, 2 + k, ' ');
      if (ObjFieldCount(corner, '/') < 1) return false;
      (*face)[static_cast<size_t>(k)] = ToIndex(fileName, lineNo, ObjField(corner, 1, '/'));
    }
    return true;
  }
  int parts = ObjFieldCount(first, '/');
  if (parts == 1) {
    for (int k = 0; k < 3; ++k)
      (*face)[static_cast<size_t>(k)] = ToIndex(fileName, lineNo, ObjField(line, 2 + k, ' '));
  } else if (parts == 2 || parts == 3) {
    for (int k = 0; k < 3; ++k) {
      std::string corner = ObjField(line, 2 + k, ' ');
      if (ObjFieldCount(corner, '/') < 2) return false;
      (*face)[static_cast<size_t>(k)] = ToIndex(fileName, lineNo, ObjField(corner, 1, '/'));
      (*face)[static_cast<size_t>(k) + 3] = ToIndex(fileName, lineNo, ObjField(corner, 2, '/'));
    }
  }
  // Any other form leaves the face all zero.
  return true;
}

}  // namespace

TObjMdl& ObjModel() {
  return g_obj;
}

void ObjReset() {
  g_obj = TObjMdl{};
}

bool ObjLoadFromMemory(const std::string& fileName, const char* text, size_t size, std::string* reason) {
  g_obj = TObjMdl{};
  std::vector<std::array<int64_t, 6>> faces;
  size_t pos = 0;
  int lineNo = 0;
  while (pos < size) {
    size_t end = pos;
    while (end < size && text[end] != '\n') ++end;
    std::string line(text + pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;

    std::string keyword = UpperAscii(ObjField(line, 1, ' '));
    int fields = ObjFieldCount(line, ' ');
    if (keyword == "V" || keyword == "VN") {
      if (fields < 4) continue;
      std::array<float, 3> v{};
      for (int k = 0; k < 3; ++k)
        v[static_cast<size_t>(k)] = ToFloat(fileName, lineNo, ObjField(line, 2 + k, ' '));
      (keyword == "V" ? g_obj.Vertices : g_obj.Normals).push_back(v);
    } else if (keyword == "VT") {
      if (fields < 3) continue;
      std::array<float, 2> t{};
      for (int k = 0; k < 2; ++k)
        t[static_cast<size_t>(k)] = ToFloat(fileName, lineNo, ObjField(line, 2 + k, ' '));
      g_obj.TexCoords.push_back(t);
    } else if (keyword == "F") {
      if (fields < 4) continue;
      std::array<int64_t, 6> face{};
      if (ReadFace(fileName, lineNo, line, &face)) faces.push_back(face);
    }
    if (2 * g_obj.Vertices.size() + faces.size() > kMaxModelVectors) {
      g_obj = TObjMdl{};
      if (reason) *reason = "model too large (more than " + std::to_string(kMaxModelVectors) +
                            " vertices and faces counted together, vertices twice)";
      return false;
    }
  }

  // Indices are checked once every array is known, so that none can point outside: a bad vertex
  // index names vertex 0, a bad texture index coordinate 0, and without vertices a face is dropped.
  const auto vertexCount = static_cast<int64_t>(g_obj.Vertices.size());
  const auto texCount = static_cast<int64_t>(g_obj.TexCoords.size());
  for (const auto& face : faces) {
    if (vertexCount == 0) continue;
    std::array<int32_t, 6> kept{};
    for (size_t k = 0; k < 3; ++k) {
      kept[k] = face[k] >= 0 && face[k] < vertexCount ? static_cast<int32_t>(face[k]) : 0;
      kept[k + 3] = face[k + 3] >= 0 && face[k + 3] < texCount ? static_cast<int32_t>(face[k + 3]) : 0;
    }
    g_obj.Faces.push_back(kept);
  }
  g_obj.VertexCount = static_cast<uint32_t>(g_obj.Vertices.size());
  g_obj.FaceCount = static_cast<uint32_t>(g_obj.Faces.size());
  g_obj.NormalCount = static_cast<uint32_t>(g_obj.Normals.size());
  g_obj.TexCoordCount = static_cast<uint32_t>(g_obj.TexCoords.size());
  if (reason) reason->clear();
  return true;
}

bool ObjLoadFromFile(const std::string& fileName) {
  std::string bytes;
  if (eng::ReadDataFile(fileName, eng::MaxDataFileBytes, &bytes).Status != eng::DataFileStatus::Ok) return false;
  return ObjLoadFromMemory(fileName, bytes.data(), bytes.size(), nullptr);
}

std::string ObjField(const std::string& line, int n, char delimiter) {
  size_t i = 0;
  for (int field = 1; i < line.size(); ++field) {
    while (i < line.size() && line[i] == delimiter) ++i;
    if (i >= line.size()) break;
    size_t start = i;
    while (i < line.size() && line[i] != delimiter) ++i;
    if (field == n) return line.substr(start, i - start);
  }
  return {};
}

int ObjFieldCount(const std::string& line, char delimiter) {
  int count = 0;
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] != delimiter && (i == 0 || line[i - 1] == delimiter)) ++count;
  return count;
}

}  // namespace game
