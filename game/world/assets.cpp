// Textures and models named by data files, with their failures reported.
#include "game/world/assets.h"

#include "game/core/fatal.h"
#include "game/models/mesh.h"

namespace game {

namespace {

TProblem At(const TDefLine& line, std::string message) {
  return {line.File ? ShownPath(*line.File) : std::string(), line.Line, 0, std::move(message)};
}

}  // namespace

std::string UnreadableTextureMessage(const std::string& path) {
  return "texture \"" + ShownPath(path) + "\" cannot be read: " + eng::TextureFailureReason();
}

eng::TTexture* LoadReportedTexture(const std::string& path, uint32_t flags, const TProblem& where) {
  eng::TTexture* texture = eng::TextureLoadFromFile(path, eng::NoColourKey, flags);
  if (!eng::TextureFailureReason().empty()) {
    TProblem problem = where;
    problem.Message = UnreadableTextureMessage(path);
    ReportProblem(problem);
  }
  return texture;
}

eng::TTexture* LoadKindTexture(const TDefLine& line, std::string_view folder, uint32_t flags,
                               eng::TTexture* previous) {
  eng::TextureDelete(previous);
  return LoadReportedTexture(line.FileName(folder), flags, At(line, ""));
}

TGmMesh* LoadKindModel(const TDefLine& line, TGmMesh* previous) {
  MeshFree(previous);
  std::string path = line.FileName("Data/Models/");
  TGmMesh* mesh = nullptr;
  try {
    mesh = MeshLoad(path);
  } catch (const FatalError& e) {
    // The model's own error ends the start, as always; it says which kind file named the model.
    std::string model = ShownPath(e.file()) + (e.line() > 0 ? ":" + std::to_string(e.line()) : "");
    throw FatalError(model + ": " + e.what(), line.File ? *line.File : std::string(), line.Line);
  }
  if (!mesh) ReportProblem(At(line, "model \"" + ShownPath(path) + "\" cannot be read: " + MeshLoadFailure()));
  return mesh;
}

}  // namespace game
