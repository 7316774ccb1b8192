#include "fileio/posix_platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dest/write_back.h"
#include "fileio/directory_listing.h"
#include "fileio/text_file.h"

namespace splyce {
namespace {

namespace fs = std::filesystem;

// A scratch folder on the real disk.
class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/splyce-posix-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string path(const std::string& name) const { return dir + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> names() const {
    std::vector<std::string> all;
    for (const auto& e : fs::directory_iterator(dir)) all.push_back(e.path().filename().string());
    std::sort(all.begin(), all.end());
    return all;
  }

  std::string dir;
  PosixPlatform platform;
};

TEST_F(PosixPlatformTest, SizesOfFilesDirectoriesAndMissingNames) {
  write("f", "12345");
  EXPECT_EQ(platform.inspect(path("f")).size, 5);
  const FileInfo d = platform.inspect(dir);
  EXPECT_TRUE(d.exists);
  EXPECT_EQ(d.size, 0);
  EXPECT_EQ(platform.inspect("/").size, 0);
  EXPECT_FALSE(platform.inspect(path("missing")).exists);
  EXPECT_FALSE(platform.inspect("").exists);
}

TEST_F(PosixPlatformTest, FileOfTwoGigabytesOrMoreIsNotLoadable) {
  // Sparse: costs no disk space.
  for (off_t size : {off_t{1} << 31, (off_t{1} << 32) + 5}) {
    const int fd = ::open(path("big").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    ::close(fd);
    TextBuffer text;
    EXPECT_EQ(load_text_file(platform, path("big"), 0, text), LoadStatus::negative_size) << size;
  }
}

TEST_F(PosixPlatformTest, RewritingNeverCreatesAndTruncatesOnOpen) {
  EXPECT_LE(platform.open_for_rewriting(path("missing")), 0);
  EXPECT_FALSE(fs::exists(path("missing")));
  write("f", "content");
  const int fd = platform.open_for_rewriting(path("f"));
  ASSERT_GT(fd, 0);
  platform.close_file(fd);
  EXPECT_EQ(read("f"), "");
  EXPECT_LE(platform.open_for_rewriting(dir), 0);
}

TEST_F(PosixPlatformTest, FileWithoutWriteBitsIsReadOnlyEvenForRoot) {
  write("ro", "keep");
  fs::permissions(path("ro"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_TRUE(platform.inspect(path("ro")).read_only);
  EXPECT_LE(platform.open_for_rewriting(path("ro")), 0);
  std::string temp, target;
  EXPECT_LE(platform.create_replacement(path("ro"), temp, target), 0);
  EXPECT_EQ(read("ro"), "keep");
  EXPECT_EQ(names(), std::vector<std::string>{"ro"});
}

TEST_F(PosixPlatformTest, SpecialFilesAreRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
  EXPECT_LE(platform.open_for_reading(path("fifo")), 0);
  EXPECT_LE(platform.open_for_rewriting(path("fifo")), 0);
  EXPECT_LE(platform.open_for_reading(dir), 0);
}

TEST_F(PosixPlatformTest, BackslashSeparatesToo) {
  fs::create_directory(path("sub"));
  write("sub/f", "x");
  EXPECT_TRUE(platform.inspect(dir + "\\sub\\f").exists);
}

TEST_F(PosixPlatformTest, ListingIsSortedAndComplete) {
  write("b.htm", "");
  write(".hidden", "");
  write("A.htm", "");
  fs::create_directory(path("sub"));
  auto listing = open_listing(platform, dir);
  ASSERT_TRUE(listing);
  std::vector<std::string> got;
  while (const std::string* name = listing->next_entry()) got.push_back(*name);
  EXPECT_EQ(got, (std::vector<std::string>{".", "..", ".hidden", "A.htm", "b.htm", "sub"}));
  EXPECT_FALSE(open_listing(platform, path("missing")));
}

TEST_F(PosixPlatformTest, EmptyNameListsTheWorkingDirectory) {
  const fs::path before = fs::current_path();
  write("only.htm", "");
  ASSERT_EQ(platform.change_directory(dir), 0);
  auto listing = open_listing(platform, "");
  fs::current_path(before);
  ASSERT_TRUE(listing);
  std::vector<std::string> got;
  while (const std::string* name = listing->next_entry()) got.push_back(*name);
  EXPECT_EQ(got, (std::vector<std::string>{".", "..", "only.htm"}));
}

TextBuffer text_of(const std::string& s) {
  TextBuffer t;
  EXPECT_TRUE(t.allocate(static_cast<int32_t>(s.size()) + 1));
  std::copy(s.begin(), s.end(), t.bytes());
  t.set_length(static_cast<int32_t>(s.size()));
  return t;
}

TEST_F(PosixPlatformTest, RewriteKeepsPermissionBitsAndLeavesNoStrayFile) {
  write("page.htm", "old");
  fs::permissions(path("page.htm"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(write_destination(platform, path("page.htm"), text_of("new\n")));
  EXPECT_EQ(read("page.htm"), "new\r\n");
  EXPECT_EQ(fs::status(path("page.htm")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(names(), std::vector<std::string>{"page.htm"});
}

TEST_F(PosixPlatformTest, RewriteThroughASymbolicLinkReplacesItsTarget) {
  fs::create_directory(path("real"));
  write("real/page.htm", "old");
  fs::create_symlink("real/page.htm", path("link.htm"));
  EXPECT_TRUE(write_destination(platform, path("link.htm"), text_of("new")));
  EXPECT_TRUE(fs::is_symlink(path("link.htm")));
  EXPECT_EQ(read("real/page.htm"), "new");
  EXPECT_EQ(names(), (std::vector<std::string>{"link.htm", "real"}));
  EXPECT_EQ(fs::directory_iterator(path("real"))->path().filename(), "page.htm");
}

TEST_F(PosixPlatformTest, HardLinkedPageKeepsItsLinks) {
  write("page.htm", "old");
  fs::create_hard_link(path("page.htm"), path("other.htm"));
  EXPECT_TRUE(write_destination(platform, path("page.htm"), text_of("new")));
  EXPECT_EQ(read("other.htm"), "new");
  EXPECT_EQ(fs::hard_link_count(path("page.htm")), 2u);
}

TEST_F(PosixPlatformTest, DescriptorsAreNeverZero) {
  // With standard input closed the system would hand out 0 next.
  write("f", "x");
  const int saved = dup(0);
  ::close(0);
  const int fd = platform.open_for_reading(path("f"));
  dup2(saved, 0);
  ::close(saved);
  EXPECT_GT(fd, 0);
  if (fd > 0) platform.close_file(fd);
}

}  // namespace
}  // namespace splyce
