#include "source/source_extraction.h"

#include <gtest/gtest.h>

#include "support/recording_console.h"

namespace splyce {
namespace {

using testing::ConsoleFixture;

Options shared_mode(bool need_border_marks = false, std::string mark = "M") {
  Options o;
  o.shared_mark = std::move(mark);
  o.need_border_marks = need_border_marks;
  return o;
}

Options two_mark_mode() {
  Options o;
  o.start_mark = "<s>";
  o.end_mark = "<e>";
  return o;
}

struct WalkCase {
  const char* name;
  Options options;
  std::string source;
  Outcome outcome;
  // id=content pairs in table order
  std::vector<std::pair<std::string, std::string>> sections;
  std::string out;  // verbose lines of the walk
  std::string err;
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

class SourceWalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(SourceWalkTest, FillsTheTable) {
  const WalkCase& c = GetParam();
  ConsoleFixture io(true);
  SectionTable table(io.console);
  TextBuffer text;
  ASSERT_TRUE(text.allocate(static_cast<int32_t>(c.source.size()) + 1));
  std::copy(c.source.begin(), c.source.end(), text.bytes());
  text.set_length(static_cast<int32_t>(c.source.size()));

  EXPECT_EQ(walk_source(c.options, io.console, text, table), c.outcome);
  std::vector<std::pair<std::string, std::string>> got;
  for (int32_t i = 0; i < table.count(); ++i) {
    got.emplace_back(table.entry(i).id.data(), std::string(table.entry(i).content, table.entry(i).length));
  }
  EXPECT_EQ(got, c.sections);
  EXPECT_EQ(io.platform.out, c.out);
  EXPECT_EQ(io.platform.err, c.err);
}

const std::string FIRST = "splyce: First mark is unique, assuming start of file as start of section.\n";
const std::string LAST = "splyce: Last mark is unique, assuming end of file as end of section.\n";
std::string found(const std::string& id, int at) {
  return "splyce: Found mark \"" + id + "\" at position " + std::to_string(at) + ".\n";
}
std::string stored(int n, const std::string& id, int size) {
  return "splyce: Storing section " + std::to_string(n) + " with id \"" + id + "\" and size " + std::to_string(size) +
         ".\n";
}
std::string unpaired(const std::string& id) { return "splyce: Mark \"" + id + "\" in source file not in pairs.\n"; }

INSTANTIATE_TEST_SUITE_P(
    Cases, SourceWalkTest,
    ::testing::Values(
        WalkCase{"no mark", shared_mode(), "plain", OUTCOME_SUCCESS, {}, "", ""},
        WalkCase{"single mark", shared_mode(), "head MA tail", OUTCOME_SUCCESS, {{"A", "head "}},
                 found("A", 5) + FIRST + stored(0, "A", 5), ""},
        WalkCase{"single mark needs border", shared_mode(true), "head MA tail", OUTCOME_REPORTED, {},
                 found("A", 5), unpaired("A")},
        WalkCase{"A A B", shared_mode(), "MA 1 MA MB 2", OUTCOME_SUCCESS, {{"A", " 1 "}, {"B", " 2"}},
                 found("A", 0) + found("A", 5) + stored(0, "A", 3) + found("B", 8) + LAST + stored(1, "B", 2), ""},
        WalkCase{"A A B needs border", shared_mode(true), "MA 1 MA MB 2", OUTCOME_REPORTED, {{"A", " 1 "}},
                 found("A", 0) + found("A", 5) + stored(0, "A", 3) + found("B", 8), unpaired("B")},
        WalkCase{"B A A", shared_mode(), "x MB 1 MA 2 MA", OUTCOME_SUCCESS, {{"B", "x "}, {"A", " 2 "}},
                 found("B", 2) + found("A", 7) + FIRST + stored(0, "B", 2) + found("A", 7) + found("A", 12) +
                     stored(1, "A", 3),
                 ""},
        WalkCase{"A B A B", shared_mode(), "MA 1 MB 2 MA 3 MB", OUTCOME_REPORTED, {{"A", ""}},
                 found("A", 0) + found("B", 5) + FIRST + stored(0, "A", 0) + found("B", 5) + found("A", 10),
                 unpaired("B")},
        WalkCase{"A A A", shared_mode(), "MA 1 MA 2 MA 3", OUTCOME_REPORTED, {{"A", " 1 "}},
                 found("A", 0) + found("A", 5) + stored(0, "A", 3) + found("A", 10) + LAST, unpaired("A")},
        WalkCase{"empty pair", shared_mode(false, "-"), "-x-x", OUTCOME_SUCCESS, {{"x", ""}},
                 found("x", 0) + found("x", 2) + stored(0, "x", 0), ""},
        WalkCase{"long id", shared_mode(), "M" + std::string(35, 'k') + "body M" + std::string(31, 'k') + "!",
                 OUTCOME_SUCCESS, {{std::string(31, 'k'), "kkkkbody "}},
                 found(std::string(31, 'k'), 0) + found(std::string(31, 'k'), 41) +
                     stored(0, std::string(31, 'k'), 9),
                 ""},
        WalkCase{"two marks, neither", two_mark_mode(), "all", OUTCOME_SUCCESS, {{"", "all"}},
                 "splyce: Assuming start of file as start of section.\n"
                 "splyce: Assuming end of file as end of section.\n" +
                     stored(0, "", 3),
                 ""},
        WalkCase{"two marks, end only before start", two_mark_mode(), "a<e>b<s>Xc", OUTCOME_SUCCESS, {{"", "Xc"}},
                 found("Xc", 5) + "splyce: Assuming end of file as end of section.\n" + stored(0, "", 2), ""},
        WalkCase{"two marks, id characters after start", two_mark_mode(), "<s>abc<e>", OUTCOME_SUCCESS,
                 {{"", "abc"}}, found("abc", 0) + found("", 6) + stored(0, "", 3), ""}));

TEST(SourceWalk, TooManySections) {
  std::string source;
  for (int i = 0; i < MAX_SECTIONS + 1; ++i) source += "M_" + std::to_string(i) + " x M_" + std::to_string(i) + " ";
  ConsoleFixture io;
  SectionTable table(io.console);
  TextBuffer text;
  ASSERT_TRUE(text.allocate(static_cast<int32_t>(source.size()) + 1));
  std::copy(source.begin(), source.end(), text.bytes());
  text.set_length(static_cast<int32_t>(source.size()));
  EXPECT_EQ(walk_source(shared_mode(), io.console, text, table), OUTCOME_REPORTED);
  EXPECT_EQ(io.platform.err, "splyce: Too many sections in source file.\n");
  EXPECT_EQ(table.count(), MAX_SECTIONS);
}

struct LoadCase {
  const char* name;
  std::string bytes;
  Outcome outcome;
};

TEST(SourceExtraction, SourceThatYieldsNoTextCannotBeAccessed) {
  const LoadCase cases[] = {
      {"empty", "", OUTCOME_SOURCE_INACCESSIBLE},
      {"only CRs", "\r\r", OUTCOME_SOURCE_INACCESSIBLE},
      {"starts with 0x1A", "\x1A" "abc", OUTCOME_SOURCE_INACCESSIBLE},
      {"text", "abc", OUTCOME_SUCCESS},
  };
  for (const LoadCase& c : cases) {
    ConsoleFixture io;
    io.platform.add_file("src.txt", c.bytes);
    SectionTable table(io.console);
    TextBuffer source;
    Options options = shared_mode();
    options.source_path = "src.txt";
    EXPECT_EQ(extract_sections(options, io.console, source, table), c.outcome) << c.name;
  }
}

TEST(SourceExtraction, DirectoryOrMissingSourceCannotBeAccessed) {
  for (const char* path : {"dir", "missing.txt"}) {
    ConsoleFixture io;
    io.platform.add_directory("dir");
    SectionTable table(io.console);
    TextBuffer source;
    Options options = shared_mode();
    options.source_path = path;
    EXPECT_EQ(extract_sections(options, io.console, source, table), OUTCOME_SOURCE_INACCESSIBLE) << path;
  }
}

TEST(SourceExtraction, EntersTheSourceDirectoryAndOpensItsLastComponent) {
  for (const char* path : {"site/menu.txt", "site\\menu.txt", "/top/site/menu.txt"}) {
    ConsoleFixture io(true);
    io.platform.add_directory("/top");
    io.platform.change_directory("/top");
    io.platform.add_file("/top/site/menu.txt", "MA x MA");
    SectionTable table(io.console);
    TextBuffer source;
    Options options = shared_mode();
    options.source_path = path;
    ASSERT_EQ(extract_sections(options, io.console, source, table), OUTCOME_SUCCESS) << path;
    EXPECT_EQ(io.platform.cwd(), "/top/site");
    EXPECT_EQ(io.platform.out.substr(0, 30 + std::string(path).size()),
              "splyce: Entering source file " + std::string(path) + " ") << "messages show the path as given";
  }
}

TEST(SourceExtraction, FailedChangeOfDirectoryOpensThePathAsGiven) {
  ConsoleFixture io;
  io.platform.add_file("site/menu.txt", "MA x MA");
  io.platform.faults.push_back({testing::Op::change_directory, 1});
  SectionTable table(io.console);
  TextBuffer source;
  Options options = shared_mode();
  options.source_path = "site/menu.txt";
  EXPECT_EQ(extract_sections(options, io.console, source, table), OUTCOME_SUCCESS);
  EXPECT_EQ(io.platform.cwd(), "/");
}

TEST(SourceExtraction, SourceAtTheRootEntersTheRoot) {
  ConsoleFixture io;
  io.platform.add_file("/menu.txt", "MA x MA");
  io.platform.add_directory("/work");
  io.platform.change_directory("/work");
  SectionTable table(io.console);
  TextBuffer source;
  Options options = shared_mode();
  options.source_path = "/menu.txt";
  EXPECT_EQ(extract_sections(options, io.console, source, table), OUTCOME_SUCCESS);
  EXPECT_EQ(io.platform.cwd(), "/");
}

}  // namespace
}  // namespace splyce
