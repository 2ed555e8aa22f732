// Whole data files: only regular files within the size limit are read, every refusal says why,
// and nothing blocks on a FIFO; text quoted from files is made printable.
#include "engine/data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/memory.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using eng::DataFileStatus;

TEST(DataFile, RegularFilesAreReadWhole) {
  fs::path dir = testsupport::ScratchDir();
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  testsupport::WriteFile(dir / "data.bin", bytes);
  testsupport::WriteFile(dir / "empty.bin", "");

  std::string read;
  EXPECT_EQ(eng::ReadDataFile((dir / "data.bin").string(), eng::MaxDataFileBytes, &read).Status, DataFileStatus::Ok);
  EXPECT_EQ(read, bytes);
  std::vector<uint8_t> asBytes;
  EXPECT_EQ(eng::ReadDataFile((dir / "data.bin").string(), bytes.size(), &asBytes).Status, DataFileStatus::Ok)
      << "a file of exactly the limit is read";
  EXPECT_EQ(asBytes.size(), bytes.size());
  EXPECT_EQ(eng::ReadDataFile((dir / "empty.bin").string(), 0, &read).Status, DataFileStatus::Ok);
  EXPECT_TRUE(read.empty());
}

TEST(DataFile, RefusalsSayWhyAndLeaveNothingBehind) {
  fs::path dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "big.bin", std::string(1001, 'x'));
  fs::create_directories(dir / "folder.map");
  ASSERT_EQ(mkfifo((dir / "pipe.map").c_str(), 0600), 0);

  struct Case {
    std::string path;
    DataFileStatus status;
    std::string reason;
  };
  const Case cases[] = {
      {(dir / "missing.map").string(), DataFileStatus::Missing, "no such file"},
      {(dir / "big.bin/inside").string(), DataFileStatus::Missing, "no such file"},
      {"", DataFileStatus::Missing, "no such file"},
      {(dir / "folder.map").string(), DataFileStatus::NotRegular, "is a directory"},
      // Opening a FIFO for reading would wait for a writer for ever.
      {(dir / "pipe.map").string(), DataFileStatus::NotRegular, "is not a regular file (a FIFO, a device or a socket)"},
      {"/dev/zero", DataFileStatus::NotRegular, "is not a regular file (a FIFO, a device or a socket)"},
      {(dir / "big.bin").string(), DataFileStatus::TooLarge, "is larger than 0 MB (1001 bytes)"},
  };
  for (const Case& c : cases) {
    std::string read = "left over";
    eng::DataFileResult result = eng::ReadDataFile(c.path, 1000, &read);
    EXPECT_EQ(result.Status, c.status) << c.path;
    EXPECT_EQ(result.Reason, c.reason) << c.path;
    EXPECT_TRUE(read.empty()) << c.path;
    eng::DataFileResult checked = eng::CheckDataFile(c.path, 1000);
    EXPECT_EQ(checked.Status, c.status) << c.path;
    EXPECT_EQ(checked.Reason, c.reason) << c.path;
  }
  std::string big;
  EXPECT_EQ(eng::ReadDataFile((dir / "big.bin").string(), 1001, &big).Status, DataFileStatus::Ok);
}

TEST(DataFile, ImageReadersTakeTheirCopyThroughTheSameRules) {
  fs::path dir = testsupport::ScratchDir();
  fs::create_directories(dir / "folder.tga");
  eng::MemoryBuffer buffer;
  std::string reason;
  EXPECT_FALSE(eng::MemLoadFromFile(&buffer, (dir / "folder.tga").string(), &reason));
  EXPECT_EQ(reason, "is a directory");
  EXPECT_EQ(buffer.Memory, nullptr);
  testsupport::WriteFile(dir / "ok.tga", "abc");
  ASSERT_TRUE(eng::MemLoadFromFile(&buffer, (dir / "ok.tga").string(), &reason));
  EXPECT_EQ(buffer.Size, 3u);
  EXPECT_EQ(buffer.Memory[3], 0) << "one spare zero byte after the data";
  eng::MemFree(&buffer);
}

TEST(DataFile, PrintableText) {
  EXPECT_EQ(eng::PrintableText("Stone Wall"), "Stone Wall");
  EXPECT_EQ(eng::PrintableText(std::string("a\0b\tc\x1b[31m\xff", 11)), "a\\x00b\\x09c\\x1B[31m\\xFF");
  EXPECT_EQ(eng::PrintableText(std::string(100, 'k'), 10), "kkkkkkkkkk...");
  // An escape is never cut in half.
  EXPECT_EQ(eng::PrintableText("abcdefgh\x01", 10), "abcdefgh...");
}

}  // namespace
