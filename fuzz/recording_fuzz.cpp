// Fuzz target: recorded input as --input reads it. Whatever the text, the parse either gives events
// whose stamps never decrease and whose codes are in range, or a reason that starts with the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/input_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<eng::StampedEvent> events;
  std::string error;
  if (!eng::InputStreamParse(text, &events, &error)) {
    if (error.empty() || error[0] < '1' || error[0] > '9') std::abort();
    return 0;
  }
  long last = 1;
  for (const eng::StampedEvent& e : events) {
    if (e.tick < last) std::abort();
    last = e.tick;
    if (e.event.code < 0 || e.event.code > 255) std::abort();
    // What a recording holds, written out, reads back as the same event.
    std::string line = "1 " + eng::InputStreamFormat(e.event);
    std::vector<eng::StampedEvent> again;
    std::string why;
    if (!eng::InputStreamFormat(e.event).empty() && !eng::InputStreamParse(line, &again, &why)) std::abort();
  }
  return 0;
}
