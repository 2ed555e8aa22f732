// Writing MD2 files.
#include "game/models/md2_write.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace game {

namespace {

void PutLE32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutLE16(std::vector<uint8_t>* out, int16_t v) {
  auto u = static_cast<uint16_t>(v);
  out->push_back(static_cast<uint8_t>(u));
  out->push_back(static_cast<uint8_t>(u >> 8));
}

void PutFloat(std::vector<uint8_t>* out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  PutLE32(out, bits);
}

void PutText(std::vector<uint8_t>* out, const char* text, size_t width) {
  for (size_t i = 0; i < width; ++i) out->push_back(static_cast<uint8_t>(text[i]));
}

template <size_t N>
std::array<char, N> FixedText(const std::string& s) {
  std::array<char, N> a{};
  std::memcpy(a.data(), s.data(), std::min(s.size(), N - 1));
  return a;
}

}  // namespace

std::vector<uint8_t> MD2Write(const TMD2Model& model) {
  const int32_t numVertices =
      model.Frames.empty() ? 0 : static_cast<int32_t>(model.Frames[0].Vertices.size());
  const int32_t frameSize = 40 + 4 * numVertices;
  const int32_t numSkins = static_cast<int32_t>(model.Skins.size());
  const int32_t numTex = static_cast<int32_t>(model.TexCoords.size());
  const int32_t numTris = static_cast<int32_t>(model.Triangles.size());
  const int32_t numFrames = static_cast<int32_t>(model.Frames.size());
  const int32_t ofsSkins = static_cast<int32_t>(kMd2HeaderSize);
  const int32_t ofsTex = ofsSkins + 64 * numSkins;
  const int32_t ofsTris = ofsTex + 4 * numTex;
  const int32_t ofsFrames = ofsTris + 12 * numTris;
  const int32_t ofsEnd = ofsFrames + frameSize * numFrames;

  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(ofsEnd));
  const int32_t header[17] = {kMd2Ident,
                              model.Header.Version,
                              model.Header.SkinWidth,
                              model.Header.SkinHeight,
                              frameSize,
                              numSkins,
                              numVertices,
                              numTex,
                              numTris,
                              0,
                              numFrames,
                              ofsSkins,
                              ofsTex,
                              ofsTris,
                              ofsFrames,
                              ofsEnd,
                              ofsEnd};
  for (int32_t v : header) PutLE32(&out, static_cast<uint32_t>(v));
  for (const auto& skin : model.Skins) PutText(&out, skin.data(), 64);
  for (const TMD2TexCoord& st : model.TexCoords) {
    PutLE16(&out, st.S);
    PutLE16(&out, st.T);
  }
  for (const TMD2Triangle& t : model.Triangles) {
    for (int16_t v : t.Vertex) PutLE16(&out, v);
    for (int16_t s : t.St) PutLE16(&out, s);
  }
  for (const TMD2Frame& f : model.Frames) {
    for (float s : f.Scale) PutFloat(&out, s);
    for (float t : f.Translate) PutFloat(&out, t);
    PutText(&out, f.Name.data(), 16);
    for (int32_t v = 0; v < numVertices; ++v) {
      const TMD2Vertex& p = f.Vertices[static_cast<size_t>(v)];
      out.insert(out.end(), {p.X, p.Y, p.Z, p.NormalIndex});
    }
  }
  return out;
}

bool MD2Build(const TMD2Source& source, TMD2Model* model, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  *model = TMD2Model{};
  const size_t numVertices = source.Frames.empty() ? 0 : source.Frames[0].Vertices.size();
  if (numVertices > 32767 || source.TexCoords.size() > 32767 || source.Triangles.size() > 0x7FFFFFF)
    return fail("too many vertices, texture coordinates or triangles for MD2");
  for (const auto& f : source.Frames)
    if (f.Vertices.size() != numVertices) return fail("frame " + f.Name + " has a different vertex count");
  for (const TGmTriangle& t : source.Triangles) {
    if (t.VertexA >= numVertices || t.VertexB >= numVertices || t.VertexC >= numVertices)
      return fail("triangle names a vertex that does not exist");
    if (!source.TexCoords.empty() && (t.TexA >= source.TexCoords.size() ||
                                      t.TexB >= source.TexCoords.size() || t.TexC >= source.TexCoords.size()))
      return fail("triangle names a texture coordinate that does not exist");
  }

  model->Header.Ident = kMd2Ident;
  model->Header.Version = 8;
  model->Header.SkinWidth = source.SkinWidth;
  model->Header.SkinHeight = source.SkinHeight;
  for (const std::string& s : source.Skins) model->Skins.push_back(FixedText<64>(s));
  model->TexCoords = source.TexCoords;
  // The mesh reverses the corners, so the file lists them backwards.
  for (const TGmTriangle& t : source.Triangles) {
    TMD2Triangle m;
    m.Vertex = {static_cast<int16_t>(t.VertexC), static_cast<int16_t>(t.VertexB),
                static_cast<int16_t>(t.VertexA)};
    if (!source.TexCoords.empty())
      m.St = {static_cast<int16_t>(t.TexC), static_cast<int16_t>(t.TexB), static_cast<int16_t>(t.TexA)};
    model->Triangles.push_back(m);
  }
  for (const auto& f : source.Frames) {
    TMD2Frame frame;
    frame.Name = FixedText<16>(f.Name);
    // File axes: x = -X, y = Z, z = Y.
    std::array<float, 3> lo{}, hi{};
    auto fileAxis = [](const TGmVector& v, size_t axis) {
      return axis == 0 ? -v.X : (axis == 1 ? v.Z : v.Y);
    };
    for (size_t axis = 0; axis < 3; ++axis) {
      lo[axis] = hi[axis] = numVertices ? fileAxis(f.Vertices[0], axis) : 0.0f;
      for (const TGmVector& v : f.Vertices) {
        lo[axis] = std::min(lo[axis], fileAxis(v, axis));
        hi[axis] = std::max(hi[axis], fileAxis(v, axis));
      }
      frame.Scale[axis] = (hi[axis] - lo[axis]) / 255.0f;
      frame.Translate[axis] = lo[axis];
    }
    for (const TGmVector& v : f.Vertices) {
      uint8_t packed[3];
      for (size_t axis = 0; axis < 3; ++axis) {
        float steps = frame.Scale[axis] > 0.0f ? (fileAxis(v, axis) - lo[axis]) / frame.Scale[axis] : 0.0f;
        packed[axis] = static_cast<uint8_t>(std::clamp(std::lround(steps), 0L, 255L));
      }
      frame.Vertices.push_back(TMD2Vertex{packed[0], packed[1], packed[2], 0});
    }
    model->Frames.push_back(std::move(frame));
  }
  model->Header.NumVertices = static_cast<int32_t>(numVertices);
  model->Header.NumTexCoords = static_cast<int32_t>(model->TexCoords.size());
  model->Header.NumTriangles = static_cast<int32_t>(model->Triangles.size());
  model->Header.NumFrames = static_cast<int32_t>(model->Frames.size());
  model->Header.NumSkins = static_cast<int32_t>(model->Skins.size());
  model->Header.FrameSize = static_cast<int32_t>(40 + 4 * numVertices);
  return true;
}

}  // namespace game
