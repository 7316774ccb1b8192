#include "dest/section_replacement.h"

#include <gtest/gtest.h>

#include "source/source_extraction.h"
#include "support/recording_console.h"

namespace splyce {
namespace {

using testing::ConsoleFixture;

Options shared_mode(bool need_border_marks = false) {
  Options o;
  o.shared_mark = "#";
  o.need_border_marks = need_border_marks;
  return o;
}

Options two_mark_mode() {
  Options o;
  o.start_mark = "<s>";
  o.end_mark = "<e>";
  return o;
}

void load(TextBuffer& buffer, const std::string& text, int32_t room) {
  ASSERT_TRUE(buffer.allocate(static_cast<int32_t>(text.size()) + room + 1));
  std::copy(text.begin(), text.end(), buffer.bytes());
  buffer.set_length(static_cast<int32_t>(text.size()));
}

// A source walked into a table, and one destination walked against it.
struct Walk {
  ConsoleFixture io{true};
  SectionTable table{io.console};
  TextBuffer source;
  TextBuffer dest;
  UpdateResult result = UpdateResult::unchanged;
  std::string walk_out;

  Walk(const Options& options, const std::string& source_text, const std::string& dest_text) {
    load(source, source_text, 0);
    EXPECT_EQ(walk_source(options, io.console, source, table), OUTCOME_SUCCESS);
    // Room as a loaded destination has it: its size plus every section once.
    load(dest, dest_text, table.total_section_size());
    io.platform.out.clear();
    result = replace_sections(options, io.console, table, dest, "./page.htm");
  }
  std::string text() const { return std::string(dest.bytes(), static_cast<std::size_t>(dest.length())); }
};

std::string found(const std::string& id, int at) {
  return "splyce: Found mark \"" + id + "\" at position " + std::to_string(at) + ".\n";
}
std::string resized(const std::string& diff) {
  return "splyce: Changing the section's size by " + diff + " bytes and replacing the content.\n";
}
const std::string SAME_SIZE = "splyce: Need not to change section's size. Replacing the content directly.\n";
const std::string UP_TO_DATE = "splyce: Section is up-to-date.\n";
const std::string NO_SUCH_ID = "splyce: No mark with this id in source file.\n";
const std::string FIRST = "splyce: First mark is unique, assuming start of file as start of section.\n";
const std::string LAST = "splyce: Last mark is unique, assuming end of file as end of section.\n";

struct ReplaceCase {
  const char* name;
  Options options;
  std::string source;
  std::string dest;
  UpdateResult result;
  std::string text;  // the destination afterwards
  std::string out;   // verbose lines of the walk
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class ReplaceSectionsTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceSectionsTest, EditsAsDocumented) {
  const ReplaceCase& c = GetParam();
  Walk walk(c.options, c.source, c.dest);
  EXPECT_EQ(walk.result, c.result);
  EXPECT_EQ(walk.text(), c.text);
  EXPECT_EQ(walk.io.platform.out, c.out);
  EXPECT_EQ(walk.dest.bytes()[walk.dest.length()], '\0');
}

const std::string SRC = "#a[A]#a #b[BB]#b";  // a = "[A]", b = "[BB]"

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceSectionsTest,
    ::testing::Values(
        ReplaceCase{"no mark", shared_mode(), SRC, "plain", UpdateResult::unchanged, "plain",
                    "splyce: No mark found in this file.\n"},
        ReplaceCase{"grow", shared_mode(), SRC, "x#a#a y", UpdateResult::changed, "x#a[A]#a y",
                    found("a", 1) + found("a", 3) + resized("+3")},
        ReplaceCase{"shrink", shared_mode(), SRC, "#b[123456]#b", UpdateResult::changed, "#b[BB]#b",
                    found("b", 0) + found("b", 10) + resized("-4")},
        ReplaceCase{"same size", shared_mode(), SRC, "#a[Z]#a", UpdateResult::changed, "#a[A]#a",
                    found("a", 0) + found("a", 5) + SAME_SIZE},
        ReplaceCase{"up to date", shared_mode(), SRC, "#a[A]#a\n#b[BB]#b", UpdateResult::identical,
                    "#a[A]#a\n#b[BB]#b",
                    found("a", 0) + found("a", 5) + UP_TO_DATE + found("b", 8) + found("b", 14) + UP_TO_DATE},
        ReplaceCase{"one up to date, one replaced", shared_mode(), SRC, "#a[A]#a #b#b", UpdateResult::changed,
                    "#a[A]#a #b[BB]#b",
                    found("a", 0) + found("a", 5) + UP_TO_DATE + found("b", 8) + found("b", 10) + resized("+4")},
        ReplaceCase{"positions count earlier replacements", shared_mode(), SRC, "#b#b #a#a",
                    UpdateResult::changed, "#b[BB]#b #a[A]#a",
                    found("b", 0) + found("b", 2) + resized("+4") + found("a", 9) + found("a", 11) + resized("+3")},
        ReplaceCase{"single mark replaces the text before it", shared_mode(), SRC, "old#a keep",
                    UpdateResult::changed, "[A]#a keep", found("a", 3) + FIRST + SAME_SIZE},
        ReplaceCase{"single mark with border marks", shared_mode(true), SRC, "old#a keep", UpdateResult::unchanged,
                    "old#a keep", found("a", 3) + "splyce: Mark \"a\" not in pairs in page.htm\n"},
        ReplaceCase{"unique last mark runs to the end", shared_mode(), SRC, "#a#a #b tail", UpdateResult::changed,
                    "#a[A]#a #b[BB]", found("a", 0) + found("a", 2) + resized("+3") + found("b", 8) + LAST +
                                          resized("-1")},
        ReplaceCase{"unique last mark with border marks drops it all", shared_mode(true), SRC, "#a#a #b tail",
                    UpdateResult::unchanged, "#a#a #b tail",
                    found("a", 0) + found("a", 2) + resized("+3") + found("b", 8) +
                        "splyce: Mark \"b\" not in pairs in page.htm\n"},
        ReplaceCase{"different ids after the first pair", shared_mode(), SRC, "#a#a #b x #a", UpdateResult::unchanged,
                    "#a#a #b x #a",
                    found("a", 0) + found("a", 2) + resized("+3") + found("b", 8) + found("a", 13) +
                        "splyce: Mark \"b\" not in pairs in page.htm\n"},
        ReplaceCase{"first pair with different ids", shared_mode(), SRC, "x#b y #a z #a", UpdateResult::changed,
                    "[BB]#b y #a[A]#a",
                    found("b", 1) + found("a", 6) + FIRST + resized("+3") + found("a", 9) + found("a", 14) +
                        SAME_SIZE},
        ReplaceCase{"unknown id is skipped", shared_mode(), SRC, "#zz#zz #a#a", UpdateResult::changed,
                    "#zz#zz #a[A]#a", found("zz", 0) + found("zz", 3) + NO_SUCH_ID + found("a", 7) + found("a", 9) +
                                          resized("+3")},
        ReplaceCase{"no known id", shared_mode(), SRC, "#zz x #zz", UpdateResult::unchanged, "#zz x #zz",
                    found("zz", 0) + found("zz", 6) + NO_SUCH_ID},
        ReplaceCase{"everything after the id is replaced", shared_mode(), SRC, "#a -->old<!-- #a",
                    UpdateResult::changed, "#a[A]#a", found("a", 0) + found("a", 14) + resized("-9")},
        ReplaceCase{"forty id characters", shared_mode(), "#" + std::string(31, 'k') + "=#" + std::string(31, 'k'),
                    "#" + std::string(40, 'k') + "#" + std::string(31, 'k'), UpdateResult::changed,
                    "#" + std::string(31, 'k') + "=#" + std::string(31, 'k'),
                    found(std::string(31, 'k'), 0) + found(std::string(31, 'k'), 41) + resized("-8")},
        ReplaceCase{"two marks replace every region", two_mark_mode(), "<s>NEW<e>", "a<s>1<e>b<s>22<e>c",
                    UpdateResult::changed, "a<s>NEW<e>b<s>NEW<e>c",
                    found("1", 1) + found("b", 5) + resized("+2") + found("22", 11) + found("c", 16) + resized("+1")},
        ReplaceCase{"two marks without end drop it all", two_mark_mode(), "<s>NEW<e>", "a<s>1<e>b<s>22",
                    UpdateResult::unchanged, "a<s>1<e>b<s>22", found("1", 1) + found("b", 5) + resized("+2") +
                                                                   found("22", 11) +
                                                                   "splyce: No end mark in page.htm\n"}));

TEST(ReplaceSections, SameIdTwiceGrowsTheBufferAndStaysExact) {
  // Room for every section once: a second copy of a big section must grow.
  const std::string big(5000, '.');
  Walk walk(shared_mode(), "#a" + big + "#a", "#a#a|#a#a|#a#a");
  EXPECT_EQ(walk.result, UpdateResult::changed);
  EXPECT_EQ(walk.text(), "#a" + big + "#a|#a" + big + "#a|#a" + big + "#a");
  EXPECT_GT(walk.dest.capacity(), walk.dest.length());
}

TEST(ReplaceSections, UnchangedWalkLeavesTheBufferAlone) {
  Walk walk(shared_mode(), SRC, "#a#a #b x #a");
  EXPECT_EQ(walk.result, UpdateResult::unchanged);
  EXPECT_EQ(walk.text(), "#a#a #b x #a");
}

TEST(ReplaceSections, LinearInTheNumberOfSections) {
  // 100,000 growing sections: a tail move per section would take minutes.
  std::string dest;
  for (int i = 0; i < 100000; ++i) dest += "#a#a\n";
  Walk walk(shared_mode(), "#a" + std::string(100, '.') + "#a", dest);
  EXPECT_EQ(walk.result, UpdateResult::changed);
  EXPECT_EQ(walk.text().size(), dest.size() + 100u * 100000u);
}

}  // namespace
}  // namespace splyce
