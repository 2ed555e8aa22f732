// Writing RGBA pixels as PNG (screenshots, tool output), TGA and JPEG (generated content). zlib
// compresses PNG, libjpeg-turbo encodes JPEG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace eng {

// Encodes width x height RGBA pixels as a PNG file image. `bottomUp` says the first row in memory
// is the picture's bottom row (the readers' and glReadPixels' order).
std::vector<uint8_t> EncodePng(int width, int height, const uint8_t* rgba, bool bottomUp);
// Encodes width x height RGBA pixels as an uncompressed 32-bit TGA image (stored bottom row
// first, the format's own order).
std::vector<uint8_t> EncodeTga(int width, int height, const uint8_t* rgba, bool bottomUp);
// Writes bytes to a file; false with "cannot write PATH: reason" on failure.
bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
// Writes the PNG to a file; false with "cannot write PATH: reason" on failure.
bool WritePng(const std::string& path, int width, int height, const uint8_t* rgba, bool bottomUp,
              std::string* error);

struct JpegOptions {
  int quality = 90;          // 1..100
  bool progressive = false;  // progressive scans instead of one baseline scan
  bool grey = false;         // one grey channel (from R, G, B by the usual luma weights)
};
// Encodes width x height RGBA pixels as JPEG (alpha dropped); empty when the encoder fails.
std::vector<uint8_t> EncodeJpeg(int width, int height, const uint8_t* rgba, bool bottomUp,
                                const JpegOptions& options);

}  // namespace eng
