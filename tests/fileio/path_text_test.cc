#include "fileio/path_text.h"

#include <gtest/gtest.h>

namespace splyce {
namespace {

const PathStyle POSIX{true, '/'};
const PathStyle WINDOWS{false, '\\'};

TEST(PathText, PosixSplitsAtBothSeparators) {
  EXPECT_EQ(last_component(POSIX, "a/b\\c"), "c");
  EXPECT_EQ(last_component(POSIX, "a\\b/c"), "c");
  EXPECT_EQ(last_component(POSIX, "plain"), "plain");
  EXPECT_EQ(last_component(POSIX, "dir/"), "");
}

TEST(PathText, WindowsSplitsOnlyAtBackslash) {
  EXPECT_EQ(last_component(WINDOWS, "sub/p*"), "sub/p*");
  EXPECT_EQ(last_component(WINDOWS, "a\\b/c"), "b/c");
}

TEST(PathText, JoinAddsOneSeparator) {
  EXPECT_EQ(join_path(POSIX, ".", "a.htm"), "./a.htm");
  EXPECT_EQ(join_path(POSIX, "/", "a.htm"), "/a.htm");
  EXPECT_EQ(join_path(WINDOWS, ".", "a.htm"), ".\\a.htm");
  EXPECT_EQ(join_path(WINDOWS, "\\", "a.htm"), "\\a.htm");
}

TEST(PathText, DisplayNameDropsALeadingDotAndSeparator) {
  EXPECT_EQ(display_name(POSIX, "./a.htm"), "a.htm");
  EXPECT_EQ(display_name(POSIX, ".\\a.htm"), "a.htm");
  EXPECT_EQ(display_name(POSIX, "../a.htm"), "../a.htm");
  EXPECT_EQ(display_name(WINDOWS, ".\\a.htm"), "a.htm");
  EXPECT_EQ(display_name(WINDOWS, "./a.htm"), "./a.htm");
  EXPECT_EQ(display_name(POSIX, "sub/a.htm"), "sub/a.htm");
}

}  // namespace
}  // namespace splyce
