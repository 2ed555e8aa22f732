// Whole data files read safely.
#include "engine/data_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "engine/platform/file_io.h"

namespace eng {

namespace {

using platform::FileClose;
using platform::FileInfoAt;
using platform::FileInfoOf;
using platform::FileOpenForReading;
using platform::FileReadSome;
using platform::TFileInfo;

DataFileResult Refusal(DataFileStatus status, std::string reason) { return {status, std::move(reason)}; }

std::string MegaBytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// The refusal a file of this type and size earns, or Ok.
DataFileResult Judge(const TFileInfo& st, uint64_t maxBytes) {
  if (st.Directory) return Refusal(DataFileStatus::NotRegular, "is a directory");
  if (!st.Regular)
    return Refusal(DataFileStatus::NotRegular, "is not a regular file (a FIFO, a device or a socket)");
  uint64_t size = st.Size;
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
  int fd = FileOpenForReading(path);
  if (fd < 0) return FromErrno(errno);
  TFileInfo st;
  DataFileResult result = FileInfoOf(fd, &st) == 0 ? Judge(st, maxBytes) : FromErrno(errno);
  if (result.Status != DataFileStatus::Ok) {
    FileClose(fd);
    return result;
  }
  try {
    bytes->resize(static_cast<size_t>(st.Size));
    size_t done = 0;
    // The file may change size while it is read: read until its end, but never past the limit.
    for (;;) {
      if (done == bytes->size()) {
        if (bytes->size() > maxBytes) {
          result = Refusal(DataFileStatus::TooLarge, "is larger than " + MegaBytes(maxBytes));
          break;
        }
        // All the bytes the file had are in: a small read tells whether it has grown since,
        // without growing (and so copying and clearing) the buffer of every file that has not.
        char more[4096];
        long n = FileReadSome(fd, more, sizeof more);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          result = FromErrno(errno);
          break;
        }
        if (n == 0) break;
        bytes->insert(bytes->end(), more, more + n);
        done += static_cast<size_t>(n);
        continue;
      }
      long n = FileReadSome(fd, reinterpret_cast<char*>(bytes->data()) + done, bytes->size() - done);
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
  FileClose(fd);
  if (result.Status != DataFileStatus::Ok) {
    bytes->clear();
    bytes->shrink_to_fit();
  }
  return result;
}

}  // namespace

DataFileResult CheckDataFile(const std::string& path, uint64_t maxBytes) {
  TFileInfo st;
  if (path.empty()) return Refusal(DataFileStatus::Missing, "no such file");
  if (FileInfoAt(path, &st) != 0) return FromErrno(errno);
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
  // Most texts are already plain and short: copied whole, not byte by byte.
  if (text.size() <= maxLength &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= 32 && c < 127; }))
    return std::string(text);
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
