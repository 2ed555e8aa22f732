// Whole data files read safely.
#include "engine/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace eng {

namespace {

#ifdef _WIN32
using StatRecord = struct _stat64;
int OpenForReading(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY); }
int StatOf(int fd, StatRecord* st) { return _fstat64(fd, st); }
int StatPath(const std::string& path, StatRecord* st) { return _stat64(path.c_str(), st); }
long ReadSome(int fd, char* to, size_t count) {
  return _read(fd, to, static_cast<unsigned>(count > 0x40000000 ? 0x40000000 : count));
}
void CloseFile(int fd) { _close(fd); }
#else
using StatRecord = struct stat;
// NOTE: O_NONBLOCK makes the open of a FIFO return at once instead of waiting for a writer; the
// type is then checked on the open descriptor, so a file swapped for a FIFO in between is caught.
int OpenForReading(const std::string& path) { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }
int StatOf(int fd, StatRecord* st) { return fstat(fd, st); }
int StatPath(const std::string& path, StatRecord* st) { return stat(path.c_str(), st); }
long ReadSome(int fd, char* to, size_t count) { return static_cast<long>(read(fd, to, count)); }
void CloseFile(int fd) { close(fd); }
#endif

DataFileResult Refusal(DataFileStatus status, std::string reason) { return {status, std::move(reason)}; }

std::string MegaBytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// The refusal a file of this type and size earns, or Ok.
DataFileResult Judge(const StatRecord& st, uint64_t maxBytes) {
  if (S_ISDIR(st.st_mode)) return Refusal(DataFileStatus::NotRegular, "is a directory");
  if (!S_ISREG(st.st_mode))
    return Refusal(DataFileStatus::NotRegular, "is not a regular file (a FIFO, a device or a socket)");
  auto size = static_cast<uint64_t>(st.st_size);
  if (size > maxBytes)
    return Refusal(DataFileStatus::TooLarge, "is larger than " + MegaBytes(maxBytes) + " (" +
                                                 std::to_string(size) + " bytes)");
  return {};
}

DataFileResult FromErrno(int error) {
  if (error == ENOENT || error == ENOTDIR) return Refusal(DataFileStatus::Missing, "no such file");
  return Refusal(DataFileStatus::Unreadable, std::string("cannot be read: ") + std::strerror(error));
}

// Reads into any buffer with resize, data and size; the buffer is emptied on a refusal.
template <typename Buffer>
DataFileResult ReadInto(const std::string& path, uint64_t maxBytes, Buffer* bytes) {
  bytes->clear();
  if (path.empty()) return Refusal(DataFileStatus::Missing, "no such file");
  int fd = OpenForReading(path);
  if (fd < 0) return FromErrno(errno);
  StatRecord st{};
  DataFileResult result = StatOf(fd, &st) == 0 ? Judge(st, maxBytes) : FromErrno(errno);
  if (result.Status != DataFileStatus::Ok) {
    CloseFile(fd);
    return result;
  }
  try {
    bytes->resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    // The file may change size while it is read: read until its end, but never past the limit.
    for (;;) {
      if (done == bytes->size()) {
        if (bytes->size() > maxBytes) {
          result = Refusal(DataFileStatus::TooLarge, "is larger than " + MegaBytes(maxBytes));
          break;
        }
        bytes->resize(bytes->size() + 65536);
      }
      long n = ReadSome(fd, reinterpret_cast<char*>(bytes->data()) + done, bytes->size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result = FromErrno(errno);
        break;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    if (result.Status == DataFileStatus::Ok) bytes->resize(done);
  } catch (const std::bad_alloc&) {
    result = Refusal(DataFileStatus::TooLarge, "is too large to hold in memory");
  }
  CloseFile(fd);
  if (result.Status != DataFileStatus::Ok) {
    bytes->clear();
    bytes->shrink_to_fit();
  }
  return result;
}

}  // namespace

DataFileResult CheckDataFile(const std::string& path, uint64_t maxBytes) {
  StatRecord st{};
  if (path.empty()) return Refusal(DataFileStatus::Missing, "no such file");
  if (StatPath(path, &st) != 0) return FromErrno(errno);
  return Judge(st, maxBytes);
}

DataFileResult ReadDataFile(const std::string& path, uint64_t maxBytes, std::string* bytes) {
  return ReadInto(path, maxBytes, bytes);
}

DataFileResult ReadDataFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>* bytes) {
  return ReadInto(path, maxBytes, bytes);
}

std::string PrintableText(std::string_view text, size_t maxLength) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(std::min(text.size(), maxLength) + 3);
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    bool plain = byte >= 32 && byte < 127;
    if (out.size() + (plain ? 1 : 4) > maxLength) return out + "...";
    if (plain) {
      out.push_back(c);
    } else {
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    }
  }
  return out;
}

}  // namespace eng
