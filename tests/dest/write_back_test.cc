#include "dest/write_back.h"

#include <gtest/gtest.h>

#include "support/memory_platform.h"

namespace splyce {
namespace {

using testing::MemoryPlatform;
using testing::Op;

const std::string OLD = "old\r\npage\r\n";
const std::string NEW_TEXT = "new\nlonger page\n";
const std::string NEW_BYTES = "new\r\nlonger page\r\n";

class WriteBackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk.add_file("site/page.htm", OLD);
    ASSERT_TRUE(text.allocate(static_cast<int32_t>(NEW_TEXT.size()) + 1));
    std::copy(NEW_TEXT.begin(), NEW_TEXT.end(), text.bytes());
    text.set_length(static_cast<int32_t>(NEW_TEXT.size()));
  }
  bool write() { return write_destination(disk, "site/page.htm", text); }
  // Nothing but the page itself may remain in its folder.
  void expect_no_stray_file() const {
    EXPECT_EQ(disk.all_files(), std::vector<std::string>{"/site/page.htm"});
  }

  MemoryPlatform disk;
  TextBuffer text;
};

TEST_F(WriteBackTest, ReplacesThePageThroughANewFile) {
  EXPECT_TRUE(write());
  EXPECT_EQ(disk.file("site/page.htm"), NEW_BYTES);
  EXPECT_EQ(disk.calls(Op::write), 1);
  EXPECT_EQ(disk.calls(Op::open_for_rewriting), 0) << "the page is never truncated";
  expect_no_stray_file();
}

TEST_F(WriteBackTest, FailuresOnTheWayLeaveThePageWhole) {
  const MemoryPlatform::Fault faults[] = {
      {Op::create_replacement, 1},  // falls back to rewriting in place, which then succeeds
      {Op::write, 1, -1},
      {Op::write, 1, 0},
      {Op::write, 1, 9},
      {Op::write, 1, static_cast<int64_t>(NEW_BYTES.size()) - 1},
      {Op::close, 1},
      {Op::commit_replacement, 1},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(static_cast<int>(fault.op));
    SCOPED_TRACE(fault.keep);
    MemoryPlatform fresh;
    disk = fresh;
    disk.add_file("site/page.htm", OLD);
    disk.faults = {fault};
    const bool ok = write();
    EXPECT_EQ(ok, fault.op == Op::create_replacement);
    EXPECT_EQ(disk.file("site/page.htm"), ok ? NEW_BYTES : OLD);
    expect_no_stray_file();
  }
}

TEST_F(WriteBackTest, HardLinkedPageIsRewrittenInPlace) {
  // A new file would split the links: every name must see the new text.
  disk.set_links("site/page.htm", 2);
  EXPECT_TRUE(write());
  EXPECT_EQ(disk.file("site/page.htm"), NEW_BYTES);
  EXPECT_EQ(disk.calls(Op::create_replacement), 0);
  EXPECT_EQ(disk.calls(Op::open_for_rewriting), 1);
}

TEST_F(WriteBackTest, InPlaceRewriteRestoresTheOldBytesOnFailure) {
  for (int64_t keep : {int64_t{-1}, int64_t{5}}) {
    MemoryPlatform fresh;
    disk = fresh;
    disk.add_file("site/page.htm", OLD);
    disk.replacement_refused = true;  // as for a folder where no new file can be made
    disk.faults = {{Op::write, 1, keep}};
    EXPECT_FALSE(write());
    EXPECT_EQ(disk.file("site/page.htm"), OLD) << "the saved bytes are put back";
    expect_no_stray_file();
  }
  MemoryPlatform fresh;
  disk = fresh;
  disk.add_file("site/page.htm", OLD);
  disk.replacement_refused = true;
  EXPECT_TRUE(write());
  EXPECT_EQ(disk.file("site/page.htm"), NEW_BYTES);
}

TEST_F(WriteBackTest, NeverCreatesAPage) {
  disk.remove("site/page.htm");
  EXPECT_FALSE(write());
  EXPECT_TRUE(disk.all_files().empty());
}

TEST_F(WriteBackTest, PageThatVanishesBeforeTheRenameIsNotCreated) {
  disk.before = [this](Op op, const std::string&) {
    if (op == Op::commit_replacement) disk.remove("site/page.htm");
  };
  EXPECT_FALSE(write());
  EXPECT_TRUE(disk.all_files().empty());
}

TEST_F(WriteBackTest, ReadOnlyPageIsNotWritten) {
  disk.add_file("site/page.htm", OLD, true);
  EXPECT_FALSE(write());
  EXPECT_EQ(disk.file("site/page.htm"), OLD);
  EXPECT_EQ(disk.calls(Op::write), 0);
  expect_no_stray_file();
}

}  // namespace
}  // namespace splyce
