// Whole-file copies in memory with a read position: what the image readers decode from. Reads
// never go past the end; bytes a read cannot supply are left as the caller had them.
#pragma once

#include <cstdint>
#include <string>

namespace eng {

struct MemoryBuffer {
  uint8_t* Memory = nullptr;
  uint32_t Size = 0;
  uint32_t Position = 0;
};

// MemSeek modes.
constexpr int MemSeekSet = 1;      // Position := offset
constexpr int MemSeekCurrent = 2;  // Position += offset
constexpr int MemSeekEnd = 3;      // Position := Size + offset

// Reads the whole file into a new zero-filled block (Position 0); false, leaving the buffer
// untouched and saying why in `reason` (when given), for a file that is missing, not a regular
// file, larger than the data file limit or cannot be read.
bool MemLoadFromFile(MemoryBuffer* buffer, const std::string& fileName, std::string* reason = nullptr);
// Makes the buffer an owned copy of `size` bytes (Position 0); what a memory reader starts from.
void MemLoadFromMemory(MemoryBuffer* buffer, const uint8_t* data, uint32_t size);
// Copies at most Size - Position bytes to `destination` and advances Position; returns the count.
uint32_t MemRead(MemoryBuffer* buffer, void* destination, uint32_t count);
// As MemRead, but stores the bytes in reverse order (big-endian numbers to native).
uint32_t MemReadSwap(MemoryBuffer* buffer, void* destination, uint32_t count);
// Moves Position by mode (MemSeekSet, MemSeekCurrent, MemSeekEnd); it may go past the end, where
// reads return nothing, but never below 0.
void MemSeek(MemoryBuffer* buffer, int64_t offset, int mode);
// Bytes left to read (0 when Position is at or past the end).
uint32_t MemRemaining(const MemoryBuffer& buffer);
// Frees Memory; Size := Position := 0.
void MemFree(MemoryBuffer* buffer);

}  // namespace eng
