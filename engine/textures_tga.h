// The TGA reader: raw and run-length encoded true-colour (24 and 32 bits), colour-mapped (24-bit
// map entries) and grey images, with either vertical origin and right-to-left rows.
#pragma once

#include <string>

#include "engine/memory.h"
#include "engine/textures.h"

namespace eng {

// Reads the whole file and decodes it; false (no pixels) when it cannot be read or decoded.
bool TgaLoadFromFile(const std::string& fileName, TImage* image);
// Decodes a copy of buffer.Memory[0 .. Size); false (no pixels) on failure.
bool TgaLoadFromMemory(const MemoryBuffer& buffer, TImage* image);

}  // namespace eng
