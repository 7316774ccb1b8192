#include "fileio/text_mode.h"

#include <gtest/gtest.h>

#include "fileio/text_file.h"
#include "support/memory_platform.h"

namespace splyce {
namespace {

using testing::MemoryPlatform;
using testing::Op;

struct LoadCase {
  std::string file;
  std::string loaded;
};

class TextModeLoad : public ::testing::TestWithParam<LoadCase> {};

// What one load with the file's size as the count delivers.
TEST_P(TextModeLoad, DeliversTheTranslatedText) {
  MemoryPlatform disk;
  disk.add_file("f", GetParam().file);
  TextInput input{disk.open_for_reading("f")};
  std::string buffer(GetParam().file.size() + 1, '\0');
  const int32_t n = read_text(disk, input, buffer.data(), static_cast<int32_t>(GetParam().file.size()));
  EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(n)), GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Table, TextModeLoad,
                         ::testing::Values(LoadCase{"a\r\nb\r\n", "a\nb\n"}, LoadCase{"a\nb\n", "a\nb\n"},
                                           LoadCase{"ab\rcd", "abcd"}, LoadCase{"a\r\r\nb", "a\nb"},
                                           LoadCase{"abc\x1A" "def", "abc"}, LoadCase{"\x1A" "abc", ""},
                                           LoadCase{"\r\r\r", ""}, LoadCase{"x\r", "x"},
                                           LoadCase{std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},
                                           LoadCase{"ab\r\x1A\r\n", "ab"}));

TEST(TextMode, CarriageReturnAtTheEndOfAChunkTakesOneMoreByte) {
  MemoryPlatform disk;
  disk.add_file("f", "ab\r\ncd");
  TextInput input{disk.open_for_reading("f")};
  char buffer[8] = {};
  EXPECT_EQ(read_text(disk, input, buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "ab\n");
  EXPECT_EQ(read_text(disk, input, buffer, 3), 2);
  EXPECT_EQ(std::string(buffer, 2), "cd");
}

TEST(TextMode, EndOfTextStaysEnded) {
  MemoryPlatform disk;
  disk.add_file("f", "ab\x1A" "cd");
  TextInput input{disk.open_for_reading("f")};
  char buffer[8] = {};
  EXPECT_EQ(read_text(disk, input, buffer, 5), 2);
  EXPECT_EQ(read_text(disk, input, buffer, 5), 0);
}

TEST(TextMode, ReadErrorGivesMinusOne) {
  MemoryPlatform disk;
  disk.add_file("f", "abc");
  disk.faults.push_back({Op::read, 1});
  TextInput input{disk.open_for_reading("f")};
  char buffer[8] = {};
  EXPECT_EQ(read_text(disk, input, buffer, 3), -1);
}

TEST(TextMode, WriteTurnsLineFeedsIntoCrLf) {
  MemoryPlatform disk;
  disk.add_file("f", "old");
  const int fd = disk.open_for_rewriting("f");
  const std::string text = "a\nb\r\n\nc";
  EXPECT_EQ(write_text(disk, fd, text.data(), static_cast<int32_t>(text.size())), 7);
  disk.close_file(fd);
  EXPECT_EQ(disk.file("f"), "a\r\nb\r\r\n\r\nc");
  EXPECT_EQ(disk.calls(Op::write), 1) << "one write for the whole text";
}

TEST(TextMode, ShortOrFailedWriteNeverReportsTheCount) {
  for (int64_t keep : {int64_t{-1}, int64_t{0}, int64_t{3}}) {
    MemoryPlatform disk;
    disk.add_file("f", "");
    disk.faults.push_back({Op::write, 1, keep});
    const int fd = disk.open_for_rewriting("f");
    EXPECT_EQ(write_text(disk, fd, "abc\ndef", 7), -1) << keep;
  }
}

TEST(TextMode, HugeTextGoesOutInPiecesWithTheSameBytes) {
  std::string text;
  for (int i = 0; text.size() < (std::size_t{20} << 20); ++i) text += "line " + std::to_string(i) + "\n";
  std::string expected;
  for (char c : text) {
    if (c == '\n') expected += '\r';
    expected += c;
  }
  MemoryPlatform disk;
  disk.add_file("f", "");
  int fd = disk.open_for_rewriting("f");
  ASSERT_EQ(write_text(disk, fd, text.data(), static_cast<int32_t>(text.size())), static_cast<int32_t>(text.size()));
  disk.close_file(fd);
  EXPECT_TRUE(disk.file("f") == expected);
  EXPECT_GT(disk.calls(Op::write), 1);

  disk.faults.push_back({Op::write, disk.calls(Op::write) + 2, 100});
  fd = disk.open_for_rewriting("f");
  EXPECT_EQ(write_text(disk, fd, text.data(), static_cast<int32_t>(text.size())), -1) << "a later piece fails";
}

TEST(TextFile, LoadsWithRoomAndANul) {
  MemoryPlatform disk;
  disk.add_file("page.htm", "x\r\ny\r\n");
  TextBuffer text;
  ASSERT_EQ(load_text_file(disk, "page.htm", 10, text), LoadStatus::loaded);
  EXPECT_EQ(text.length(), 4);
  EXPECT_EQ(text.capacity(), 6 + 10 + 1);
  EXPECT_EQ(std::string(text.bytes(), 5), std::string("x\ny\n\0", 5));
  EXPECT_EQ(disk.calls(Op::read), 1);
}

TEST(TextFile, ReportsWhatFailed) {
  MemoryPlatform disk;
  disk.add_file("empty", "");
  disk.add_file("crs", "\r\r");
  disk.add_file("big", "x");
  disk.add_directory("dir");
  TextBuffer text;
  EXPECT_EQ(load_text_file(disk, "missing", 0, text), LoadStatus::cannot_access);
  EXPECT_EQ(load_text_file(disk, "empty", 0, text), LoadStatus::empty);
  EXPECT_EQ(load_text_file(disk, "dir", 0, text), LoadStatus::empty);
  EXPECT_EQ(load_text_file(disk, "crs", 0, text), LoadStatus::cannot_read);
  EXPECT_EQ(load_text_file(disk, "big", INT32_MAX - 1, text), LoadStatus::too_large);
  disk.faults.push_back({Op::open_for_reading, disk.calls(Op::open_for_reading) + 1});
  EXPECT_EQ(load_text_file(disk, "big", 0, text), LoadStatus::cannot_open);
}

}  // namespace
}  // namespace splyce
