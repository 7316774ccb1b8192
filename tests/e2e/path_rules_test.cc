// The path rules that differ between the platforms, each written once: which
// characters separate directories in a pattern, the path the program builds
// for a page it found in a directory, and the name it shows for it.
#include "e2e/site_fixture.h"

namespace splyce::e2e {
namespace {

const std::string M = "SPLYCE_BLOCK";
const std::string PAGE_OLD = "<p>" + M + "_a old " + M + "_a</p>\n";  // 41 bytes
const std::string PAGE_NEW = "<p>" + M + "_a A " + M + "_a</p>\r\n";
const std::string NOTHING = "splyce: No file has been changed.\n";

std::string updated(const std::string& name) { return "splyce: Updated " + name + "\n"; }

// A source with section "_a", and the same page in the folder and in "sub".
class PathRulesTest : public SiteTest {
 protected:
  void SetUp() override {
    SiteTest::SetUp();
    write("menu.txt", M + "_a A " + M + "_a\n");
    write("page.htm", PAGE_OLD);
    write("sub/page.htm", PAGE_OLD);
  }
  bool printed(const RunResult& got, const std::string& line) const {
    return got.out.find(console(line)) != std::string::npos;
  }
};

// "\" separates directories everywhere; the page's path is built with the
// platform's own separator, and shown as built.
TEST_F(PathRulesTest, BackslashPatternSelectsThePagesInTheDirectory) {
  const RunResult got = run({"--verbose", "menu.txt", "sub\\p*"});
  EXPECT_TRUE(printed(got, "splyce: Opened directory sub\n")) << got.out;
  EXPECT_TRUE(printed(got, "splyce: Entering file " + built("sub", "page.htm") + " (41 bytes).\n")) << got.out;
  EXPECT_TRUE(got.out.ends_with(console(updated(built("sub", "page.htm"))))) << got.out;
  EXPECT_EQ(got.err, "");
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(read("sub/page.htm"), PAGE_NEW);
  EXPECT_EQ(read("page.htm"), PAGE_OLD);
}

// "/" separates directories only on POSIX. On Windows "sub/p*" has no
// directory part: it is a name pattern for the working directory, where no
// name starts with "sub/p".
TEST_F(PathRulesTest, SlashSeparatesDirectoriesOnlyOnPosix) {
  const RunResult got = run({"--verbose", "menu.txt", "sub/p*"});
  EXPECT_TRUE(printed(got, std::string("splyce: Opened directory ") + (target().windows ? "." : "sub") + "\n"))
      << got.out;
  EXPECT_TRUE(got.out.ends_with(console(target().windows ? NOTHING : updated("sub/page.htm")))) << got.out;
  EXPECT_EQ(got.err, "");
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(read("sub/page.htm"), target().windows ? PAGE_OLD : PAGE_NEW);
  EXPECT_EQ(read("page.htm"), PAGE_OLD);
}

// Without a directory part the pages are taken in ".": the built path starts
// with "." and the separator, which the result line leaves out.
TEST_F(PathRulesTest, PatternWithoutDirectoryPartBuildsDotPaths) {
  const RunResult got = run({"--verbose", "menu.txt", "p*"});
  EXPECT_TRUE(printed(got, "splyce: Opened directory .\n")) << got.out;
  EXPECT_TRUE(printed(got, "splyce: Entering file " + built(".", "page.htm") + " (41 bytes).\n")) << got.out;
  EXPECT_TRUE(got.out.ends_with(console(updated("page.htm")))) << got.out;
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(read("page.htm"), PAGE_NEW);
  EXPECT_EQ(read("sub/page.htm"), PAGE_OLD);
}

// A directory named as a destination, the file system's root included, has
// size 0 and is passed over without a word.
TEST_F(PathRulesTest, DirectoriesAndTheRootArePassedOverSilently) {
  expect_run(run({"menu.txt", "sub", std::string(1, sep()), "."}), console(NOTHING), "", 0);
  EXPECT_EQ(read("sub/page.htm"), PAGE_OLD);
}

}  // namespace
}  // namespace splyce::e2e
