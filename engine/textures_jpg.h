// The JPEG reader: baseline, progressive and grey JPEG files through the platform's picture decoder,
// delivered as RGBA (alpha 255), bottom row first.
#pragma once

#include <string>

#include "engine/memory.h"
#include "engine/textures.h"

namespace eng {

// Reads the whole file and decodes it; false (no pixels) when it cannot be read or decoded.
bool JpgLoadFromFile(const std::string& fileName, TImage* image);
// Decodes a copy of buffer.Memory[0 .. Size); false (no pixels) on failure.
bool JpgLoadFromMemory(const MemoryBuffer& buffer, TImage* image);

}  // namespace eng
