// The operating system's own file calls behind the data-file reader: its type and size are judged
// on the descriptor that is then read, so a file swapped for a FIFO in between is still caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace eng::platform {

struct TFileInfo {
  bool Directory = false;
  bool Regular = false;
  uint64_t Size = 0;
};

// Each returns -1 (FileOpenForReading) or a non-zero status and leaves the reason in errno.
int FileOpenForReading(const std::string& path);
int FileInfoOf(int fd, TFileInfo* info);
int FileInfoAt(const std::string& path, TFileInfo* info);
long FileReadSome(int fd, char* to, size_t count);
void FileClose(int fd);

}  // namespace eng::platform
