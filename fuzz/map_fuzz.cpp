// Fuzz target: the map readers. The first byte chooses the binary reader (even) or the text
// compiler (odd); whatever either accepts must survive writing, reading back and a trip through
// the text form unchanged: every map the reader takes decompiles to text that compiles back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/map_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<uint8_t> Write(const game::TMapFile& map) {
  std::vector<uint8_t> bytes;
  std::string error;
  Check(game::MapFileWrite(map, &bytes, &error));
  return bytes;
}

// bytes were written by the writer: reading them back and writing again gives the same bytes,
// and so does compiling the decompiled text.
void CheckWritten(const std::vector<uint8_t>& bytes) {
  game::TMapFile map;
  std::string error;
  size_t consumed = 0;
  Check(game::MapFileReadFromMemory(bytes.data(), bytes.size(), &map, &error, &consumed));
  Check(consumed == bytes.size());
  Check(Write(map) == bytes);
  std::string text;
  Check(game::MapDecompile(map, &text, &error));
  game::TMapFile again;
  game::TMapTextError textError;
  Check(game::MapCompileText(text, "decompiled", &again, &textError));
  Check(Write(again) == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t* body = data + 1;
  size_t bodySize = size - 1;
  if ((data[0] & 1) == 0) {
    game::TMapFile map;
    std::string error;
    if (!game::MapFileReadFromMemory(body, bodySize, &map, &error)) return 0;
    CheckWritten(Write(map));
  } else {
    game::TMapFile map;
    game::TMapTextError error;
    std::string text(reinterpret_cast<const char*>(body), bodySize);
    if (!game::MapCompileText(text, "fuzz.txt", &map, &error)) {
      Check(!error.Message.empty());
      return 0;
    }
    CheckWritten(Write(map));
  }
  return 0;
}
