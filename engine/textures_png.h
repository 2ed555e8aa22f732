// The PNG reader: non-interlaced grey (1, 4, 8 bits), palette (1, 4, 8 bits), RGB, grey with
// alpha and RGBA (8 bits), with tRNS transparency; zlib inflates the image data.
#pragma once

#include <string>

#include "engine/memory.h"
#include "engine/textures.h"

namespace eng {

// Reads the whole file and decodes it; false (no pixels) when it cannot be read or decoded.
bool PngLoadFromFile(const std::string& fileName, TImage* image);
// Decodes a copy of buffer.Memory[0 .. Size); false (no pixels) on failure.
bool PngLoadFromMemory(const MemoryBuffer& buffer, TImage* image);

}  // namespace eng
