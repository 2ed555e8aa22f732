// The memory buffer: bounded reads, byte-swapped reads, seeking and loading files.
#include "engine/memory.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

using eng::MemoryBuffer;

TEST(MemoryBuffer, ReadsStopAtTheEndAndLeaveTheRestOfTheDestination) {
  const uint8_t bytes[5] = {1, 2, 3, 4, 5};
  MemoryBuffer mem;
  eng::MemLoadFromMemory(&mem, bytes, 5);
  uint8_t out[4] = {};
  EXPECT_EQ(eng::MemRead(&mem, out, 3), 3u);
  EXPECT_EQ(mem.Position, 3u);
  uint8_t tail[4] = {9, 9, 9, 9};
  EXPECT_EQ(eng::MemRead(&mem, tail, 4), 2u);
  EXPECT_EQ(tail[0], 4);
  EXPECT_EQ(tail[1], 5);
  EXPECT_EQ(tail[2], 9);  // not written
  EXPECT_EQ(mem.Position, 5u);
  EXPECT_EQ(eng::MemRead(&mem, tail, 4), 0u);
  eng::MemFree(&mem);
  EXPECT_EQ(mem.Memory, nullptr);
  EXPECT_EQ(mem.Size, 0u);
  EXPECT_EQ(mem.Position, 0u);
}

TEST(MemoryBuffer, ReadSwapTurnsBigEndianIntoNative) {
  const uint8_t bytes[6] = {0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD};
  MemoryBuffer mem;
  eng::MemLoadFromMemory(&mem, bytes, 6);
  uint32_t v = 0;
  EXPECT_EQ(eng::MemReadSwap(&mem, &v, 4), 4u);
  EXPECT_EQ(v, 0x12345678u);
  // Two bytes left of a four-byte number: they keep their high-order places.
  v = 0;
  EXPECT_EQ(eng::MemReadSwap(&mem, &v, 4), 2u);
  EXPECT_EQ(v, 0xABCD0000u);
  eng::MemFree(&mem);
}

TEST(MemoryBuffer, SeekModesAndPositionsPastTheEnd) {
  const uint8_t bytes[4] = {10, 20, 30, 40};
  MemoryBuffer mem;
  eng::MemLoadFromMemory(&mem, bytes, 4);
  eng::MemSeek(&mem, 2, eng::MemSeekSet);
  EXPECT_EQ(mem.Position, 2u);
  eng::MemSeek(&mem, 1, eng::MemSeekCurrent);
  EXPECT_EQ(mem.Position, 3u);
  eng::MemSeek(&mem, -4, eng::MemSeekEnd);
  EXPECT_EQ(mem.Position, 0u);
  eng::MemSeek(&mem, -10, eng::MemSeekCurrent);  // never below the start
  EXPECT_EQ(mem.Position, 0u);
  eng::MemSeek(&mem, 100, eng::MemSeekCurrent);
  EXPECT_EQ(mem.Position, 100u);
  EXPECT_EQ(eng::MemRemaining(mem), 0u);
  uint8_t b = 7;
  EXPECT_EQ(eng::MemRead(&mem, &b, 1), 0u);
  EXPECT_EQ(b, 7);
  eng::MemFree(&mem);
}

TEST(MemoryBuffer, LoadsWholeFilesAndRefusesMissingOnes) {
  auto dir = testsupport::ScratchDir();
  testsupport::WriteBytes(dir / "a.bin", {1, 2, 3});
  testsupport::WriteBytes(dir / "empty.bin", {});
  MemoryBuffer mem;
  ASSERT_TRUE(eng::MemLoadFromFile(&mem, (dir / "a.bin").string()));
  EXPECT_EQ(mem.Size, 3u);
  EXPECT_EQ(mem.Memory[2], 3);
  ASSERT_TRUE(eng::MemLoadFromFile(&mem, (dir / "empty.bin").string()));  // replaces the old block
  EXPECT_EQ(mem.Size, 0u);
  EXPECT_FALSE(eng::MemLoadFromFile(&mem, (dir / "missing.bin").string()));
  EXPECT_FALSE(eng::MemLoadFromFile(&mem, dir.string()));  // a folder is no file
  eng::MemFree(&mem);
}

}  // namespace
