#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/platform/file_io.h"

namespace eng::platform {

namespace {

void Fill(const struct stat& st, TFileInfo* info) {
  info->Directory = S_ISDIR(st.st_mode);
  info->Regular = S_ISREG(st.st_mode);
  info->Size = static_cast<uint64_t>(st.st_size);
}

}  // namespace

// NOTE: O_NONBLOCK makes the open of a FIFO return at once instead of waiting for a writer; the
// type is then checked on the open descriptor.
int FileOpenForReading(const std::string& path) { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }

int FileInfoOf(int fd, TFileInfo* info) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return -1;
  Fill(st, info);
  return 0;
}

int FileInfoAt(const std::string& path, TFileInfo* info) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return -1;
  Fill(st, info);
  return 0;
}

long FileReadSome(int fd, char* to, size_t count) { return static_cast<long>(read(fd, to, count)); }

void FileClose(int fd) { close(fd); }

}  // namespace eng::platform
