#include "dest/destination_selection.h"

#include <gtest/gtest.h>

#include "cli/run.h"
#include "support/memory_platform.h"

namespace splyce {
namespace {

using testing::MemoryPlatform;
using testing::Op;

TEST(DestinationFilters, DefaultFilterTakesHtmAndHtmlOnly) {
  struct Case {
    const char* name;
    bool taken;
  };
  const Case cases[] = {{"a.htm", true},   {"a.html", true},   {".htm", false},     {".html", false},
                        {"x.htm", true},   {"INDEX.HTM", false}, {"a.Html", false}, {"a.htm.bak", false},
                        {"a.xhtml", false}, {"htm", false}};
  for (const Case& c : cases) EXPECT_EQ(has_html_extension(c.name), c.taken) << c.name;
}

TEST(DestinationFilters, PrefixAndSuffixAreTestedEachOnTheirOwn) {
  EXPECT_TRUE(matches_pattern("abc", "ab", "bc"));
  EXPECT_TRUE(matches_pattern("page", "page", ""));
  EXPECT_TRUE(matches_pattern("anything", "", ""));
  EXPECT_FALSE(matches_pattern("c", "", "bc"));
  EXPECT_FALSE(matches_pattern("Page.htm", "p", ".htm"));
  EXPECT_TRUE(matches_pattern("p?x*y", "p?x", "*y")) << "only the first star is special";
}

// Whole runs on an in-memory disk: which pages are taken, in which order, and
// what each costs.
class SelectionRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk.add_directory("/site");
    disk.change_directory("/site");
    disk.add_file("/site/menu.txt", "#a[NEW]#a");
  }
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "-a=#");
    return run_splyce(disk, args);
  }

  MemoryPlatform disk;
  const std::string stale = "#a[old]#a";
  const std::string fresh = "#a[NEW]#a";
  const std::string rewritten = "#a[NEW]#a";
};

TEST_F(SelectionRunTest, DefaultTakesSortedHtmlPagesAndSkipsTheRest) {
  disk.add_file("/site/b.html", stale);
  disk.add_file("/site/a.htm", fresh);
  disk.add_file("/site/.hidden.htm", stale);
  disk.add_file("/site/INDEX.HTM", stale);
  disk.add_file("/site/notes.txt", stale);
  disk.add_file("/site/empty.htm", "");
  disk.add_directory("/site/dir.htm");
  EXPECT_EQ(run({"menu.txt"}), 0);
  EXPECT_EQ(disk.out, "splyce: Identical a.htm\nsplyce: Updated b.html\n");
  EXPECT_EQ(disk.err, "");
  EXPECT_EQ(disk.file("/site/b.html"), rewritten);
  for (const char* untouched : {"/site/.hidden.htm", "/site/INDEX.HTM", "/site/notes.txt"}) {
    EXPECT_EQ(disk.file(untouched), stale) << untouched;
  }
}

TEST_F(SelectionRunTest, EachPageCostsOneReadAndAtMostOneWrite) {
  disk.add_file("/site/a.htm", stale);
  disk.add_file("/site/b.htm", fresh);
  EXPECT_EQ(run({"menu.txt"}), 0);
  EXPECT_EQ(disk.calls(Op::read, "/site/a.htm"), 1);
  EXPECT_EQ(disk.calls(Op::read, "/site/b.htm"), 1);
  EXPECT_EQ(disk.calls(Op::inspect, "/site/b.htm"), 1);
  EXPECT_EQ(disk.calls(Op::write), 1);
  EXPECT_EQ(disk.calls(Op::create_replacement, "/site/a.htm"), 1);
  EXPECT_EQ(disk.calls(Op::create_replacement, "/site/b.htm"), 0);
}

TEST_F(SelectionRunTest, PatternWithADirectoryPart) {
  disk.add_file("/site/sub/p1.htm", stale);
  disk.add_file("/site/sub/q1.htm", stale);
  disk.add_file("/site/p2.htm", stale);
  EXPECT_EQ(run({"--verbose", "menu.txt", "sub\\p*", "ignored*"}), 0);
  EXPECT_NE(disk.out.find("splyce: Opened directory sub\n"), std::string::npos);
  EXPECT_NE(disk.out.find("splyce: Entering file sub/p1.htm (9 bytes).\n"), std::string::npos);
  EXPECT_NE(disk.out.find("splyce: Updated sub/p1.htm\n"), std::string::npos);
  EXPECT_EQ(disk.file("/site/sub/p1.htm"), rewritten);
  EXPECT_EQ(disk.file("/site/sub/q1.htm"), stale);
  EXPECT_EQ(disk.file("/site/p2.htm"), stale);
}

TEST_F(SelectionRunTest, PatternWhoseOnlySeparatorLeadsItSelectsTheRoot) {
  disk.add_file("/p-root.htm", stale);
  disk.add_file("/site/p-here.htm", stale);
  EXPECT_EQ(run({"--verbose", "menu.txt", "/p*"}), 0);
  EXPECT_NE(disk.out.find("splyce: Opened directory /\n"), std::string::npos);
  EXPECT_NE(disk.out.find("splyce: Updated /p-root.htm\n"), std::string::npos);
  EXPECT_EQ(disk.file("/p-root.htm"), rewritten);
  EXPECT_EQ(disk.file("/site/p-here.htm"), stale);
}

TEST_F(SelectionRunTest, FullPathInLoadMessagesDisplayNameInResults) {
  disk.add_file("/site/a.htm", "\x1A" "x");
  disk.add_file("/site/b.htm", stale);
  EXPECT_EQ(run({"--verbose", "menu.txt"}), 0);
  EXPECT_EQ(disk.err, "splyce: Cannot read ./a.htm\n");
  EXPECT_NE(disk.out.find("splyce: Entering file ./b.htm (9 bytes).\n"), std::string::npos);
  EXPECT_NE(disk.out.find("splyce: Updated b.htm\n"), std::string::npos);
}

TEST_F(SelectionRunTest, ListModeTakesArgumentsAsTheyAre) {
  disk.add_file("/site/.dot", stale);
  disk.add_file("/site/x*y", stale);
  EXPECT_EQ(run({"menu.txt", "missing.htm", ".dot", "x*y"}), 0);
  EXPECT_EQ(disk.err, "splyce: Cannot access file missing.htm\n");
  EXPECT_EQ(disk.out, "splyce: Updated .dot\nsplyce: Updated x*y\n");
}

TEST_F(SelectionRunTest, OwnExecutableEndsTheLoop) {
  disk.add_file("/site/a.htm", stale);
  disk.add_file("/site/z.htm", stale);
  EXPECT_EQ(run({"--verbose", "menu.txt", "a.htm", "bin/splyce", "z.htm"}), 0);
  EXPECT_NE(disk.out.find("splyce: Do not want to open own executable file.\n"), std::string::npos);
  EXPECT_EQ(disk.file("/site/a.htm"), rewritten);
  EXPECT_EQ(disk.file("/site/z.htm"), stale);
}

TEST_F(SelectionRunTest, MissingDirectoryEndsTheRunWithoutTheClosingLine) {
  EXPECT_EQ(run({"menu.txt", "nowhere/*.htm"}), 1);
  EXPECT_EQ(disk.out, "");
  EXPECT_EQ(disk.err, "splyce: Cannot access destination directory.\n");
}

TEST_F(SelectionRunTest, WriteErrorStopsTheLoop) {
  disk.add_file("/site/a.htm", stale);
  disk.add_file("/site/b.htm", stale, true);
  disk.add_file("/site/c.htm", stale);
  EXPECT_EQ(run({"menu.txt"}), 1);
  EXPECT_EQ(disk.out, "splyce: Updated a.htm\n");
  EXPECT_EQ(disk.err, "splyce: Error writing file ./b.htm\n");
  EXPECT_EQ(disk.file("/site/b.htm"), stale);
  EXPECT_EQ(disk.file("/site/c.htm"), stale);
}

TEST_F(SelectionRunTest, LongPathsAreHeldWhole) {
  // A cut path could name another, existing page.
  const std::string dir = "/site/" + std::string(300, 'd') + "/" + std::string(300, 'e');
  disk.add_file(dir + "/page.htm", stale);
  disk.add_file(dir + "/page.ht", fresh);
  EXPECT_EQ(run({"menu.txt", dir + "/page.htm"}), 0);
  EXPECT_EQ(disk.file(dir + "/page.htm"), rewritten);
}

TEST(SelectionWindowsRules, OnlyBackslashSeparates) {
  MemoryPlatform disk(PathStyle{false, '\\'});
  disk.add_directory("/site");
  disk.change_directory("/site");
  disk.add_file("/site/menu.txt", "#a[NEW]#a");
  disk.add_file("/site/sub/p.htm", "#a#a");
  EXPECT_EQ(run_splyce(disk, {"-a=#", "menu.txt", "sub/p*"}), 0);
  EXPECT_EQ(disk.out, "splyce: No file has been changed.\n") << "sub/p* has no directory part";
  disk.out.clear();
  EXPECT_EQ(run_splyce(disk, {"-a=#", "menu.txt", "sub\\p*"}), 0);
  EXPECT_EQ(disk.out, "splyce: Updated sub\\p.htm\n");
  disk.out.clear();
  disk.add_file("/site/q.htm", "#a#a");
  EXPECT_EQ(run_splyce(disk, {"--verbose", "-a=#", "menu.txt", "q*"}), 0);
  EXPECT_NE(disk.out.find("splyce: Entering file .\\q.htm (4 bytes).\n"), std::string::npos);
  EXPECT_NE(disk.out.find("splyce: Updated q.htm\n"), std::string::npos);
}

}  // namespace
}  // namespace splyce
