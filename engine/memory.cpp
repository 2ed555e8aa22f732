// Whole-file copies in memory with a read position.
#include "engine/memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace eng {

bool MemLoadFromFile(MemoryBuffer* buffer, const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(f) : -1;
  ok = ok && size >= 0 && static_cast<unsigned long>(size) < 0xFFFFFFFFul &&
       std::fseek(f, 0, SEEK_SET) == 0;
  uint8_t* memory = nullptr;
  if (ok) {
    // One spare byte so that an empty file still has a block.
    memory = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size) + 1, 1));
    ok = memory && std::fread(memory, 1, static_cast<size_t>(size), f) == static_cast<size_t>(size);
  }
  std::fclose(f);
  if (!ok) {
    std::free(memory);
    return false;
  }
  MemFree(buffer);
  buffer->Memory = memory;
  buffer->Size = static_cast<uint32_t>(size);
  buffer->Position = 0;
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
