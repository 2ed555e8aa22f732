// Textures and models named by data files, loaded so that a modder learns why one cannot be read
// (the placeholder texture or the missing mesh stays, as always), and so that a key repeated in a
// file keeps only what its last occurrence names: memory stays bounded by the distinct files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/textures.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"

namespace game {

struct TGmMesh;

// `texture "PATH" cannot be read: REASON` for the texture read last (eng::TextureFailureReason),
// the path as ShownPath gives it.
std::string UnreadableTextureMessage(const std::string& path);
// Loads a texture (no colour key); one that cannot be read gives the placeholder and is reported
// at `where` with UnreadableTextureMessage.
eng::TTexture* LoadReportedTexture(const std::string& path, uint32_t flags, const TProblem& where);
// The texture of a kind file's TEXTURE line (AppDir + folder + value), reported at that line when
// it cannot be read. `previous` (what an earlier line of the same file loaded, held by nothing
// else yet) is released.
eng::TTexture* LoadKindTexture(const TDefLine& line, std::string_view folder, uint32_t flags,
                               eng::TTexture* previous);
// The mesh of a kind file's model line (AppDir + "Data/Models/" + value); null, reported at that
// line, when it cannot be read. `previous` is released as above. The model's start-up error (a
// wrong MD2 identifier, an OBJ number that does not convert) is thrown on at the kind file's line,
// naming the model.
TGmMesh* LoadKindModel(const TDefLine& line, TGmMesh* previous);

}  // namespace game
