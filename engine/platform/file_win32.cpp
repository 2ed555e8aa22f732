#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "engine/platform/file_io.h"

namespace eng::platform {

namespace {

void Fill(const struct _stat64& st, TFileInfo* info) {
  info->Directory = (st.st_mode & _S_IFMT) == _S_IFDIR;
  info->Regular = (st.st_mode & _S_IFMT) == _S_IFREG;
  info->Size = static_cast<uint64_t>(st.st_size);
}

}  // namespace

int FileOpenForReading(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY); }

int FileInfoOf(int fd, TFileInfo* info) {
  struct _stat64 st {};
  if (_fstat64(fd, &st) != 0) return -1;
  Fill(st, info);
  return 0;
}

int FileInfoAt(const std::string& path, TFileInfo* info) {
  struct _stat64 st {};
  if (_stat64(path.c_str(), &st) != 0) return -1;
  Fill(st, info);
  return 0;
}

// One call reads at most 1 GB: the count is an unsigned int.
long FileReadSome(int fd, char* to, size_t count) {
  return _read(fd, to, static_cast<unsigned>(count > 0x40000000 ? 0x40000000 : count));
}

void FileClose(int fd) { _close(fd); }

}  // namespace eng::platform
