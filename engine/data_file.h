// Whole data files read safely: only regular files (a FIFO would block the open for ever, a device
// such as /dev/zero would never end, a directory holds no data), only up to a size limit, and an
// allocation failure is a refusal of the file, never the end of the program. Every refusal comes
// with a reason a user can act on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace eng {

// The largest map file and the largest input recording read (anything bigger is refused).
constexpr uint64_t MaxMapFileBytes = uint64_t{64} << 20;
// The largest of any other data file (definition files, models, fonts, images): far above what a
// picture of the largest size the readers accept needs.
constexpr uint64_t MaxDataFileBytes = uint64_t{512} << 20;

enum class DataFileStatus {
  Ok,
  Missing,      // no such file (or a path through something that is not a folder)
  NotRegular,   // a directory, FIFO, device or socket
  TooLarge,     // above the limit, or more than memory can hold
  Unreadable,   // it exists but cannot be opened or read (permissions, I/O error)
};

struct DataFileResult {
  DataFileStatus Status = DataFileStatus::Ok;
  std::string Reason;  // empty when Ok; otherwise why, without the file name ("is a directory")
};

// Reads the whole regular file `path` of at most `maxBytes` bytes into `bytes` (emptied on a
// refusal). Never blocks on a FIFO and never reads a device.
DataFileResult ReadDataFile(const std::string& path, uint64_t maxBytes, std::string* bytes);
DataFileResult ReadDataFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>* bytes);
// Whether `path` would be refused, without reading it: Ok, or the status and reason ReadDataFile
// would give.
DataFileResult CheckDataFile(const std::string& path, uint64_t maxBytes);

// Text from a file made safe to show in a message: bytes below 32 (tabs included) and from 127 up
// become \xNN, and anything beyond `maxLength` characters of the result is cut and marked "...".
std::string PrintableText(std::string_view text, size_t maxLength = 80);

}  // namespace eng
