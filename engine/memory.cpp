// Whole-file copies in memory with a read position.
#include "engine/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/data_file.h"

namespace eng {

bool MemLoadFromFile(MemoryBuffer* buffer, const std::string& fileName, std::string* reason) {
  std::vector<uint8_t> bytes;
  DataFileResult read = ReadDataFile(fileName, MaxDataFileBytes, &bytes);
  if (read.Status == DataFileStatus::Ok && bytes.size() >= 0xFFFFFFFFu)
    read = {DataFileStatus::TooLarge, "is 4 GB or larger"};
  // One spare byte so that an empty file still has a block.
  auto* memory = read.Status == DataFileStatus::Ok
                     ? static_cast<uint8_t*>(std::calloc(bytes.size() + 1, 1))
                     : nullptr;
  if (read.Status == DataFileStatus::Ok && !memory) read = {DataFileStatus::TooLarge, "is too large to hold in memory"};
  if (read.Status != DataFileStatus::Ok) {
    if (reason) *reason = read.Reason;
    return false;
  }
  if (!bytes.empty()) std::memcpy(memory, bytes.data(), bytes.size());
  MemFree(buffer);
  buffer->Memory = memory;
  buffer->Size = static_cast<uint32_t>(bytes.size());
  buffer->Position = 0;
  if (reason) reason->clear();
  return true;
}

void MemLoadFromMemory(MemoryBuffer* buffer, const uint8_t* data, uint32_t size) {
  MemFree(buffer);
  buffer->Memory = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size) + 1, 1));
  if (!buffer->Memory) return;
  if (size > 0) std::memcpy(buffer->Memory, data, size);
  buffer->Size = size;
}

uint32_t MemRead(MemoryBuffer* buffer, void* destination, uint32_t count) {
  uint32_t n = std::min(count, MemRemaining(*buffer));
  if (n > 0) std::memcpy(destination, buffer->Memory + buffer->Position, n);
  buffer->Position += n;
  return n;
}

uint32_t MemReadSwap(MemoryBuffer* buffer, void* destination, uint32_t count) {
  uint32_t n = std::min(count, MemRemaining(*buffer));
  auto* out = static_cast<uint8_t*>(destination);
  const uint8_t* in = buffer->Memory + buffer->Position;
  // NOTE: reversed over the whole count, so the bytes of a short read keep their big-endian
  // significance (the high-order end); the missing low-order bytes stay as they were.
  for (uint32_t i = 0; i < n; ++i) out[count - 1 - i] = in[i];
  buffer->Position += n;
  return n;
}

void MemSeek(MemoryBuffer* buffer, int64_t offset, int mode) {
  int64_t base = 0;
  switch (mode) {
    case MemSeekSet: base = 0; break;
    case MemSeekCurrent: base = buffer->Position; break;
    case MemSeekEnd: base = buffer->Size; break;
    default: return;
  }
  int64_t target = std::clamp<int64_t>(base + offset, 0, 0xFFFFFFFF);
  buffer->Position = static_cast<uint32_t>(target);
}

uint32_t MemRemaining(const MemoryBuffer& buffer) {
  return buffer.Position < buffer.Size ? buffer.Size - buffer.Position : 0;
}

void MemFree(MemoryBuffer* buffer) {
  std::free(buffer->Memory);
  buffer->Memory = nullptr;
  buffer->Size = 0;
  buffer->Position = 0;
}

}  // namespace eng
