// The whole job end to end: the source's sections, the choice of pages, the
// replacement in each page, the write-back and every line the run prints.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "e2e/site_fixture.h"

namespace splyce::e2e {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

const std::string M = "SPLYCE_BLOCK";
const std::string NOTHING = "splyce: No file has been changed.\n";
const std::string SIMULATION = "splyce: Simulation mode activated.\n";
const std::string NO_SOURCE = "splyce: Could not access source file.\n";

// What a rewrite does to line ends: every LF goes out as CR LF.
std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string updated(const std::string& name) { return "splyce: Updated " + name + "\n"; }
std::string identical(const std::string& name) { return "splyce: Identical " + name + "\n"; }

using Files = std::map<std::string, std::string>;

// A folder before the run, the run, and the folder after it. A name ending
// in "/" is a directory. Files not named in `after` must keep their bytes,
// and no other name may appear in the folder.
struct JobCase {
  std::string name = {};
  Files before = {};
  std::vector<std::string> args = {};  // "/" is written with the platform's separator
  std::string out = {};                // paths with "/" as above
  std::string err = {};
  int status = 0;
  Files after = {};
  std::vector<std::string> read_only = {};
  bool posix_only = false;
};

void PrintTo(const JobCase& c, std::ostream* os) { *os << c.name; }

class JobTest : public SiteTest, public ::testing::WithParamInterface<JobCase> {};

TEST_P(JobTest, FolderAfterTheRun) {
  const JobCase& c = GetParam();
  if (c.posix_only && target().windows) GTEST_SKIP() << "relies on POSIX paths or permission bits";
  std::set<std::string> names;
  for (const auto& [name, bytes] : c.before) {
    if (name.ends_with("/")) {
      fs::create_directories(path(name));
    } else {
      write(name, bytes);
    }
    for (fs::path p = fs::path(name.ends_with("/") ? name.substr(0, name.size() - 1) : name); !p.empty();
         p = p.parent_path()) {
      names.insert(p.string());
    }
  }
  for (const std::string& name : c.read_only) fs::permissions(path(name), fs::perms(0444));

  std::vector<std::string> args;
  for (const std::string& a : c.args) args.push_back(native(a));
  expect_run(run(args), console(native(c.out)), console(native(c.err)), c.status);

  for (const auto& [name, bytes] : c.before) {
    if (name.ends_with("/")) continue;
    const auto changed = c.after.find(name);
    EXPECT_EQ(read(name), changed == c.after.end() ? bytes : changed->second) << name;
  }
  const std::vector<std::string> got = listing();
  EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), names) << "names in the folder";
}

// A source with one section "_a" holding "\nNEW\n", and pages around it.
const std::string SOURCE_A = "head\n" + M + "_a\nNEW\n" + M + "_a\ntail\n";
const std::string PAGE_A = "<p>\n" + M + "_a\nOLD\n" + M + "_a\n</p>\n";
const std::string PAGE_A_NEW = crlf("<p>\n" + M + "_a\nNEW\n" + M + "_a\n</p>\n");

// Sections "_a" (" A ") and "_b" (" B ").
const std::string SOURCE_AB = M + "_a A " + M + "_a\n" + M + "_b B " + M + "_b\n";

const std::string ID31 = "abcdefghijklmnopqrstuvwxyz01234";

std::string many_sections(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += M + "_s" + std::to_string(i) + " x " + M + "_s" + std::to_string(i) + "\n";
  return text;
}

const std::string BIG(3000, '=');

INSTANTIATE_TEST_SUITE_P(
    Marks, JobTest,
    ::testing::Values(
        JobCase{.name = "PairReplacedAndRewrittenWithCrLf",
                .before = {{"menu.txt", SOURCE_A}, {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", PAGE_A_NEW}}},
        JobCase{.name = "IdenticalPageKeepsEveryByte",
                .before = {{"menu.txt", SOURCE_A},
                           {"page.htm", "x\r\n" + M + "_a\r\nNEW\r\r\n" + M + "_a\r\nlone\rcr\nlf only\n\x1a rest"}},
                .args = {"menu.txt"},
                .out = identical("page.htm") + NOTHING},
        JobCase{.name = "RewriteDropsCrAndTextAfterCtrlZKeepsNul",
                .before = {{"menu.txt", SOURCE_A},
                           {"page.htm", "a\rb\r\r\n" + M + "_a\nOLD\n" + M + "_a\r\nn\0l\n\x1a gone\n"s}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "ab\r\n" + M + "_a\r\nNEW\r\n" + M + "_a\r\nn\0l\r\n"s}}},
        JobCase{.name = "SingleMarkReplacesTheTextBeforeIt",
                .before = {{"menu.txt", SOURCE_A}, {"page.htm", "old top\n" + M + "_a rest\n"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", crlf("\nNEW\n" + M + "_a rest\n")}}},
        JobCase{.name = "SingleMarkNeedsBorderMarks",
                .before = {{"menu.txt", SOURCE_A}, {"page.htm", "old top\n" + M + "_a rest\n"}},
                .args = {"--need-border-marks", "menu.txt"},
                .out = "splyce: Mark \"_a\" not in pairs in page.htm\n" + NOTHING},
        JobCase{.name = "FirstPairWithDifferentIdsStartsAtTheTop",
                .before = {{"menu.txt", SOURCE_AB}, {"page.htm", "top " + M + "_a mid " + M + "_b x " + M + "_b end"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", " A " + M + "_a mid " + M + "_b B " + M + "_b end"}}},
        JobCase{.name = "LastMarkRunsToTheEnd",
                .before = {{"menu.txt", SOURCE_AB},
                           {"page.htm", M + "_a A " + M + "_a\n" + M + "_b old\nend\n"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", M + "_a A " + M + "_a\r\n" + M + "_b B "}}},
        JobCase{.name = "LastMarkNeedsBorderMarksWholeFileKept",
                .before = {{"menu.txt", SOURCE_AB},
                           {"page.htm", M + "_a old " + M + "_a\n" + M + "_b old\nend\n"}},
                .args = {"--need-border-marks", "menu.txt"},
                .out = "splyce: Mark \"_b\" not in pairs in page.htm\n" + NOTHING},
        JobCase{.name = "LaterPairWithDifferentIdsKeepsWholeFile",
                .before = {{"menu.txt", SOURCE_AB},
                           {"page.htm", M + "_a old " + M + "_a " + M + "_b 2 " + M + "_c\n"}},
                .args = {"menu.txt"},
                .out = "splyce: Mark \"_b\" not in pairs in page.htm\n" + NOTHING},
        JobCase{.name = "UnknownIdSkippedWalkGoesOn",
                .before = {{"menu.txt", SOURCE_AB},
                           {"page.htm", M + "_zz keep " + M + "_zz " + M + "_b old " + M + "_b\n"},
                           {"other.htm", M + "_zz keep " + M + "_zz\n"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", M + "_zz keep " + M + "_zz " + M + "_b B " + M + "_b\r\n"}}},
        JobCase{.name = "UnknownFirstPairStillEndsTheFirstPass",
                .before = {{"menu.txt", SOURCE_AB}, {"page.htm", "top " + M + "_zz x " + M + "_zz " + M + "_b tail\n"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "top " + M + "_zz x " + M + "_zz " + M + "_b B "}}},
        JobCase{.name = "OnlyUnknownIdsNoResultLine",
                .before = {{"menu.txt", SOURCE_AB}, {"page.htm", M + "_zz keep " + M + "_zz\n"}},
                .args = {"menu.txt"},
                .out = NOTHING},
        JobCase{.name = "NoMarkAtAll",
                .before = {{"menu.txt", SOURCE_AB}, {"page.htm", "<p>no marks</p>\n"}},
                .args = {"menu.txt"},
                .out = NOTHING},
        JobCase{.name = "OneSectionUpToDateAnotherReplaced",
                .before = {{"menu.txt", SOURCE_AB}, {"page.htm", M + "_a A " + M + "_a|" + M + "_b b " + M + "_b"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", M + "_a A " + M + "_a|" + M + "_b B " + M + "_b"}}},
        JobCase{.name = "FortyIdCharactersFirstThirtyOneAreTheId",
                .before = {{"menu.txt", M + ID31 + "[new]" + M + ID31 + "\n"},
                           {"page.htm", M + ID31 + "567890abc old " + M + ID31 + "tail\n"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", M + ID31 + "[new]" + M + ID31 + "tail\r\n"}}},
        JobCase{.name = "SameIdTwiceGrowsPastTheRoom",
                .before = {{"menu.txt", M + "_a" + BIG + M + "_a\n"},
                           {"page.htm", M + "_a " + M + "_a|" + M + "_a " + M + "_a\n"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", M + "_a" + BIG + M + "_a|" + M + "_a" + BIG + M + "_a\r\n"}}},
        JobCase{.name = "TestModeWritesNothing",
                .before = {{"menu.txt", SOURCE_A}, {"page.htm", PAGE_A}},
                .args = {"--test", "menu.txt"},
                .out = SIMULATION + updated("page.htm")},
        // The id "aQb" holds the mark itself: the search after a pair starts
        // at the closing id and finds the "Q" inside it.
        JobCase{.name = "NextSearchBeginsAtTheClosingId",
                .before = {{"menu.txt", "[NEW]QaQb Qb(B)Qb\n"}, {"page.htm", "QaQb[old]QaQb(old)Qb\n"}},
                .args = {"-a=Q", "menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "QaQb[NEW]QaQb(B)Qb\r\n"}}},
        JobCase{.name = "CustomSharedMark",
                .before = {{"menu.txt", "@@x[1]@@x"}, {"page.htm", "@@x[0]@@x " + M + "_x old " + M + "_x"}},
                .args = {"-a=@@", "menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "@@x[1]@@x " + M + "_x old " + M + "_x"}}}),
    [](const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    TwoMarks, JobTest,
    ::testing::Values(
        JobCase{.name = "EveryRegionReplaced",
                .before = {{"menu.txt", "head<s>NEW<e>tail"}, {"page.htm", "a<s>1<e>b<s>22<e>c<s>NEW<e>d\n"}},
                .args = {"-s=<s>", "-e=<e>", "menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "a<s>NEW<e>b<s>NEW<e>c<s>NEW<e>d\r\n"}}},
        JobCase{.name = "IdCharactersAfterStartMarkAreContent",
                .before = {{"menu.txt", "<s>abc<e>"}, {"page.htm", "<s>xyz old<e>\n"}},
                .args = {"-s=<s>", "-e=<e>", "menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "<s>abc<e>\r\n"}}},
        JobCase{.name = "StartWithoutEndKeepsWholeFile",
                .before = {{"menu.txt", "<s>NEW<e>"}, {"page.htm", "a<s>1<e>b<s>2\n"}},
                .args = {"-s=<s>", "-e=<e>", "menu.txt"},
                .out = "splyce: No end mark in page.htm\n" + NOTHING},
        JobCase{.name = "SourceWithoutMarksIsTheSection",
                .before = {{"menu.txt", "ALL\n"}, {"page.htm", "<s>old<e>"}},
                .args = {"-s=<s>", "-e=<e>", "menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", "<s>ALL\r\n<e>"}}}),
    [](const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    SourceErrors, JobTest,
    ::testing::Values(
        JobCase{.name = "Empty",
                .before = {{"menu.txt", ""}, {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = NO_SOURCE,
                .status = 1},
        JobCase{.name = "CarriageReturnsOnly",
                .before = {{"menu.txt", "\r\r\r"}, {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = NO_SOURCE,
                .status = 1},
        JobCase{.name = "CtrlZFirst",
                .before = {{"menu.txt", "\x1a" + SOURCE_A}, {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = NO_SOURCE,
                .status = 1},
        JobCase{.name = "Directory",
                .before = {{"menu.txt/", ""}, {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = NO_SOURCE,
                .status = 1},
        JobCase{.name = "Missing",
                .before = {{"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = NO_SOURCE,
                .status = 1},
        JobCase{.name = "SingleMarkWithBorderMarks",
                .before = {{"menu.txt", "x " + M + "_a y"}, {"page.htm", PAGE_A}},
                .args = {"--need-border-marks", "menu.txt"},
                .err = "splyce: Mark \"_a\" in source file not in pairs.\n",
                .status = 1},
        JobCase{.name = "LastMarkAloneWithBorderMarks",
                .before = {{"menu.txt", SOURCE_A + M + "_b\nB\n"}, {"page.htm", PAGE_A}},
                .args = {"--need-border-marks", "menu.txt"},
                .err = "splyce: Mark \"_b\" in source file not in pairs.\n",
                .status = 1},
        JobCase{.name = "CrossedIds",
                .before = {{"menu.txt", "top " + M + "_a 1 " + M + "_b 2 " + M + "_a 3 " + M + "_b"},
                           {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = "splyce: Mark \"_b\" in source file not in pairs.\n",
                .status = 1},
        JobCase{.name = "SameIdThrice",
                .before = {{"menu.txt", M + "_a x " + M + "_a y " + M + "_a z"}, {"page.htm", PAGE_A}},
                .args = {"menu.txt"},
                .err = "splyce: Mark \"_a\" in source file not in pairs.\n",
                .status = 1},
        JobCase{.name = "TwoHundredSectionsFit",
                .before = {{"menu.txt", many_sections(200)}, {"page.htm", M + "_s199 old " + M + "_s199"}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .after = {{"page.htm", M + "_s199 x " + M + "_s199"}}},
        JobCase{.name = "TooManySections",
                .before = {{"menu.txt", many_sections(201)}, {"page.htm", M + "_s0 old " + M + "_s0"}},
                .args = {"menu.txt"},
                .err = "splyce: Too many sections in source file.\n",
                .status = 1}),
    [](const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; });

const std::string PAGE_B_OLD = M + "_b old " + M + "_b";
const std::string PAGE_B_NEW = M + "_b B " + M + "_b";

INSTANTIATE_TEST_SUITE_P(
    Destinations, JobTest,
    ::testing::Values(
        JobCase{.name = "DefaultFilterHtmAndHtmlOnly",
                .before = {{"menu.txt", SOURCE_AB},
                           {"a.html", PAGE_B_OLD},
                           {"b.htm", PAGE_B_OLD},
                           {"INDEX.HTM", PAGE_B_OLD},
                           {"c.Html", PAGE_B_OLD},
                           {".htm", PAGE_B_OLD},
                           {".html", PAGE_B_OLD},
                           {".hidden.htm", PAGE_B_OLD},
                           {"notes.txt", PAGE_B_OLD},
                           {"d.htm.bak", PAGE_B_OLD},
                           {"e.htmlx", PAGE_B_OLD}},
                .args = {"menu.txt"},
                .out = updated("a.html") + updated("b.htm"),
                .after = {{"a.html", PAGE_B_NEW}, {"b.htm", PAGE_B_NEW}}},
        JobCase{.name = "ListingInByteOrder",
                .before = {{"menu.txt", SOURCE_AB},
                           {"z.htm", PAGE_B_OLD},
                           {"\xc3\xa9.htm", PAGE_B_OLD},
                           {"A.htm", PAGE_B_OLD},
                           {"_.htm", PAGE_B_OLD}},
                .args = {"menu.txt"},
                .out = updated("A.htm") + updated("_.htm") + updated("z.htm") + updated("\xc3\xa9.htm"),
                .after = {{"z.htm", PAGE_B_NEW},
                          {"\xc3\xa9.htm", PAGE_B_NEW},
                          {"A.htm", PAGE_B_NEW},
                          {"_.htm", PAGE_B_NEW}},
                .posix_only = true},  // names are bytes only on POSIX
        JobCase{.name = "LoadFailures",
                .before = {{"menu.txt", SOURCE_AB},
                           {"cr.htm", "\r\r\r"},
                           {"ctrlz.htm", "\x1a" + PAGE_B_OLD},
                           {"dir.htm/", ""},
                           {"empty.htm", ""},
                           {"page.htm", PAGE_B_OLD}},
                .args = {"menu.txt"},
                .out = updated("page.htm"),
                .err = "splyce: Cannot read ./cr.htm\nsplyce: Cannot read ./ctrlz.htm\n",
                .after = {{"page.htm", PAGE_B_NEW}}},
        JobCase{.name = "PatternWithoutDirectory",
                .before = {{"menu.txt", SOURCE_AB},
                           {"p.htm", PAGE_B_OLD},
                           {"p1.htm", PAGE_B_OLD},
                           {"p2.html", PAGE_B_OLD},
                           {"q.htm", PAGE_B_OLD},
                           {"other.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "p*.htm", "other.htm"},
                .out = updated("p.htm") + updated("p1.htm"),
                .after = {{"p.htm", PAGE_B_NEW}, {"p1.htm", PAGE_B_NEW}}},
        JobCase{.name = "PrefixAndSuffixMayOverlap",
                .before = {{"menu.txt", SOURCE_AB},
                           {"abc", PAGE_B_OLD},
                           {"abbc", PAGE_B_OLD},
                           {"abXbc", PAGE_B_OLD},
                           {"ab", PAGE_B_OLD},
                           {"bc", PAGE_B_OLD}},
                .args = {"menu.txt", "ab*bc"},
                .out = updated("abXbc") + updated("abbc") + updated("abc"),
                .after = {{"abc", PAGE_B_NEW}, {"abbc", PAGE_B_NEW}, {"abXbc", PAGE_B_NEW}}},
        JobCase{.name = "StarTakesEveryVisibleNameTheSourceIncluded",
                .before = {{"menu.txt", SOURCE_AB},
                           {".hidden", PAGE_B_OLD},
                           {"notes.txt", "no marks\n"},
                           {"page", PAGE_B_OLD}},
                .args = {"menu.txt", "*"},
                .out = identical("menu.txt") + updated("page"),
                .after = {{"page", PAGE_B_NEW}}},
        JobCase{.name = "NoNameMatches",
                .before = {{"menu.txt", SOURCE_AB}, {"page.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "x*"},
                .out = NOTHING},
        JobCase{.name = "PatternWithDirectory",
                .before = {{"menu.txt", SOURCE_AB}, {"sub/a.htm", PAGE_B_OLD}, {"a.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "sub/*.htm"},
                .out = updated("sub/a.htm"),
                .after = {{"sub/a.htm", PAGE_B_NEW}}},
        JobCase{.name = "PatternWithBackslashDirectory",
                .before = {{"menu.txt", SOURCE_AB}, {"sub/a.htm", PAGE_B_OLD}, {"a.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "sub\\*.htm"},
                .out = updated("sub/a.htm"),
                .after = {{"sub/a.htm", PAGE_B_NEW}}},
        JobCase{.name = "PatternInDotDirectory",
                .before = {{"menu.txt", SOURCE_AB}, {"a.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "./*.htm"},
                .out = updated("a.htm"),
                .after = {{"a.htm", PAGE_B_NEW}}},
        JobCase{.name = "PatternDirectoryMissing",
                .before = {{"menu.txt", SOURCE_AB}, {"a.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "sub/*.htm"},
                .err = "splyce: Cannot access destination directory.\n",
                .status = 1},
        JobCase{.name = "ListInOrderWithoutFilter",
                .before = {{"menu.txt", SOURCE_AB},
                           {"a.htm", PAGE_B_OLD},
                           {"b.htm", PAGE_B_OLD},
                           {"notes.txt", PAGE_B_OLD},
                           {".hid", PAGE_B_OLD},
                           {"sub/c.htm", PAGE_B_OLD},
                           {"p*.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "b.htm", "missing.htm", "a.htm", "notes.txt", ".hid", "sub/c.htm", "p*.htm"},
                .out = updated("b.htm") + updated("a.htm") + updated("notes.txt") + updated(".hid") +
                       updated("sub/c.htm") + updated("p*.htm"),
                .err = "splyce: Cannot access file missing.htm\n",
                .after = {{"a.htm", PAGE_B_NEW},
                          {"b.htm", PAGE_B_NEW},
                          {"notes.txt", PAGE_B_NEW},
                          {".hid", PAGE_B_NEW},
                          {"sub/c.htm", PAGE_B_NEW},
                          {"p*.htm", PAGE_B_NEW}},
                .posix_only = true},  // "*" cannot be part of a Windows file name
        JobCase{.name = "ListPathWithBackslash",
                .before = {{"menu.txt", SOURCE_AB}, {"sub/c.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "sub\\c.htm"},
                .out = updated("sub\\c.htm"),
                .after = {{"sub/c.htm", PAGE_B_NEW}}},
        JobCase{.name = "ListNamesWithLeadingDot",
                .before = {{"menu.txt", SOURCE_AB}, {"a.htm", PAGE_B_OLD}, {"b.htm", PAGE_B_OLD}, {"sub/", ""}},
                .args = {"menu.txt", "./a.htm", ".\\b.htm", "./gone.htm", "sub", "a.htm"},
                .out = updated("a.htm") + updated("b.htm") + identical("a.htm"),
                .err = "splyce: Cannot access file ./gone.htm\n",
                .after = {{"a.htm", PAGE_B_NEW}, {"b.htm", PAGE_B_NEW}}},
        JobCase{.name = "ListEntryNamedAfterTheProgramEndsTheLoop",
                .before = {{"menu.txt", SOURCE_AB},
                           {"a.htm", PAGE_B_OLD},
                           {"splyce.htm", PAGE_B_OLD},
                           {"b.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "a.htm", "splyce.htm", "sub/splyce", "b.htm"},
                .out = updated("a.htm") + updated("splyce.htm"),
                .after = {{"a.htm", PAGE_B_NEW}, {"splyce.htm", PAGE_B_NEW}}},
        JobCase{.name = "OwnNameAfterABackslash",
                .before = {{"menu.txt", SOURCE_AB}, {"a.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "sub\\splyce", "a.htm"},
                .out = NOTHING},
        JobCase{.name = "EntryNamedAfterTheProgramEndsThePattern",
                .before = {{"menu.txt", SOURCE_AB},
                           {"a", PAGE_B_OLD},
                           {"splyce", PAGE_B_OLD},
                           {"z", PAGE_B_OLD}},
                .args = {"menu.txt", "*"},
                .out = updated("a") + identical("menu.txt"),
                .after = {{"a", PAGE_B_NEW}}},
        JobCase{.name = "OwnNameEndsTheLoopVerbose",
                .before = {{"menu.txt", SOURCE_AB}, {"z.htm", PAGE_B_OLD}},
                .args = {"--verbose", "menu.txt", "splyce", "z.htm"},
                .out = "splyce: Verbose mode activated.\nsplyce: Options -a=SPLYCE_BLOCK\n"
                       "splyce: Sourcefile is menu.txt\nsplyce: Destination files are splyce, z.htm\n"
                       "splyce: Entering source file menu.txt (64 bytes).\n"
                       "splyce: Found mark \"_a\" at position 0.\n"
                       "splyce: Found mark \"_a\" at position 17.\n"
                       "splyce: Storing section 0 with id \"_a\" and size 3.\n"
                       "splyce: Found mark \"_b\" at position 32.\n"
                       "splyce: Found mark \"_b\" at position 49.\n"
                       "splyce: Storing section 1 with id \"_b\" and size 3.\n"
                       "splyce: Total size of all sections is 6 bytes.\n"
                       "splyce: Do not want to open own executable file.\n" +
                       NOTHING}),
    [](const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    WriteBack, JobTest,
    ::testing::Values(
        JobCase{.name = "ReadOnlyPageStopsTheLoop",
                .before = {{"menu.txt", SOURCE_AB},
                           {"a.htm", PAGE_B_OLD},
                           {"b.htm", PAGE_B_NEW},
                           {"c.htm", PAGE_B_OLD},
                           {"d.htm", PAGE_B_OLD}},
                .args = {"menu.txt"},
                .out = updated("a.htm") + identical("b.htm"),
                .err = "splyce: Error writing file ./c.htm\n",
                .status = 1,
                .after = {{"a.htm", PAGE_B_NEW}},
                .read_only = {"b.htm", "c.htm"}},
        JobCase{.name = "ReadOnlyFirstPagePrintsNoClosingLine",
                .before = {{"menu.txt", SOURCE_AB}, {"a.htm", PAGE_B_OLD}, {"b.htm", PAGE_B_OLD}},
                .args = {"menu.txt", "a.htm", "b.htm"},
                .err = "splyce: Error writing file a.htm\n",
                .status = 1,
                .read_only = {"a.htm"}},
        JobCase{.name = "ReadOnlyPageInTestMode",
                .before = {{"menu.txt", SOURCE_AB}, {"a.htm", PAGE_B_OLD}},
                .args = {"--test", "menu.txt"},
                .out = SIMULATION + updated("a.htm"),
                .read_only = {"a.htm"}}),
    [](const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; });

// Verbose runs: every progress line, with the positions of the marks counted
// in the text as edited so far.
const std::string VERBOSE_SOURCE = "@@a" + std::string(16, '.') + "@@a\n@@b.@@b\n@@c....@@c\n@@d-x-@@d\n";
const std::string VERBOSE_HEAD =
    "splyce: Verbose mode activated.\nsplyce: Options -a=@@\nsplyce: Sourcefile is menu.txt\n"
    "splyce: Destination files are all .htm and .html files.\n"
    "splyce: Entering source file menu.txt (52 bytes).\n"
    "splyce: Found mark \"a\" at position 0.\n"
    "splyce: Found mark \"a\" at position 19.\n"
    "splyce: Storing section 0 with id \"a\" and size 16.\n"
    "splyce: Found mark \"b\" at position 23.\n"
    "splyce: Found mark \"b\" at position 27.\n"
    "splyce: Storing section 1 with id \"b\" and size 1.\n"
    "splyce: Found mark \"c\" at position 31.\n"
    "splyce: Found mark \"c\" at position 38.\n"
    "splyce: Storing section 2 with id \"c\" and size 4.\n"
    "splyce: Found mark \"d\" at position 42.\n"
    "splyce: Found mark \"d\" at position 48.\n"
    "splyce: Storing section 3 with id \"d\" and size 3.\n"
    "splyce: Total size of all sections is 24 bytes.\n"
    "splyce: Opened directory .\n";

INSTANTIATE_TEST_SUITE_P(
    Verbose, JobTest,
    ::testing::Values(
        JobCase{.name = "GrowShrinkSameSizeUpToDate",
                .before = {{"menu.txt", VERBOSE_SOURCE},
                           {"none.htm", "none\n"},
                           {"page.htm", "<@@a....@@a|@@z?@@z|@@b....@@b|@@c!!!!@@c|@@d-x-@@d>\n"},
                           {"same.htm", "@@b.@@b\r\n"}},
                .args = {"--verbose", "-a=@@", "menu.txt"},
                .out = VERBOSE_HEAD +
                       "splyce: Entering file ./none.htm (5 bytes).\n"
                       "splyce: No mark found in this file.\n"
                       "splyce: Entering file ./page.htm (53 bytes).\n"
                       "splyce: Found mark \"a\" at position 1.\n"
                       "splyce: Found mark \"a\" at position 8.\n"
                       "splyce: Changing the section's size by +12 bytes and replacing the content.\n"
                       "splyce: Found mark \"z\" at position 24.\n"
                       "splyce: Found mark \"z\" at position 28.\n"
                       "splyce: No mark with this id in source file.\n"
                       "splyce: Found mark \"b\" at position 32.\n"
                       "splyce: Found mark \"b\" at position 39.\n"
                       "splyce: Changing the section's size by -3 bytes and replacing the content.\n"
                       "splyce: Found mark \"c\" at position 40.\n"
                       "splyce: Found mark \"c\" at position 47.\n"
                       "splyce: Need not to change section's size. Replacing the content directly.\n"
                       "splyce: Found mark \"d\" at position 51.\n"
                       "splyce: Found mark \"d\" at position 57.\n"
                       "splyce: Section is up-to-date.\n"
                       "splyce: Updated page.htm\n"
                       "splyce: Entering file ./same.htm (8 bytes).\n"
                       "splyce: Found mark \"b\" at position 0.\n"
                       "splyce: Found mark \"b\" at position 4.\n"
                       "splyce: Section is up-to-date.\n"
                       "splyce: Identical same.htm\n",
                .after = {{"page.htm",
                           "<@@a" + std::string(16, '.') + "@@a|@@z?@@z|@@b.@@b|@@c....@@c|@@d-x-@@d>\r\n"}}},
        JobCase{.name = "FirstAndLastMarkUnique",
                .before = {{"menu.txt", "TOP\n" + M + "_t\n" + M + "_e\nEND\n"},
                           {"first.htm", "old top\n" + M + "_t body " + M + "_e old end"},
                           {"after.htm", "old top\n" + M + "_t body " + M + "_e old end"}},
                .args = {"--verbose", "menu.txt", "first.htm", "splyce", "after.htm"},
                .out = "splyce: Verbose mode activated.\nsplyce: Options -a=SPLYCE_BLOCK\n"
                       "splyce: Sourcefile is menu.txt\n"
                       "splyce: Destination files are first.htm, splyce, ...\n"
                       "splyce: Entering source file menu.txt (38 bytes).\n"
                       "splyce: Found mark \"_t\" at position 4.\n"
                       "splyce: Found mark \"_e\" at position 19.\n"
                       "splyce: First mark is unique, assuming start of file as start of section.\n"
                       "splyce: Storing section 0 with id \"_t\" and size 4.\n"
                       "splyce: Found mark \"_e\" at position 19.\n"
                       "splyce: Last mark is unique, assuming end of file as end of section.\n"
                       "splyce: Storing section 1 with id \"_e\" and size 5.\n"
                       "splyce: Total size of all sections is 9 bytes.\n"
                       "splyce: Entering file first.htm (50 bytes).\n"
                       "splyce: Found mark \"_t\" at position 8.\n"
                       "splyce: Found mark \"_e\" at position 28.\n"
                       "splyce: First mark is unique, assuming start of file as start of section.\n"
                       "splyce: Changing the section's size by -4 bytes and replacing the content.\n"
                       "splyce: Found mark \"_e\" at position 24.\n"
                       "splyce: Last mark is unique, assuming end of file as end of section.\n"
                       "splyce: Changing the section's size by -3 bytes and replacing the content.\n"
                       "splyce: Updated first.htm\n"
                       "splyce: Do not want to open own executable file.\n",
                .after = {{"first.htm", "TOP\r\n" + M + "_t body " + M + "_e\r\nEND\r\n"}}},
        JobCase{.name = "EmptyPagesAndDirectoriesSkippedSilently",
                .before = {{"menu.txt", VERBOSE_SOURCE}, {"empty.htm", ""}, {"dir.htm/", ""}},
                .args = {"--verbose", "-a=@@", "menu.txt"},
                .out = VERBOSE_HEAD + NOTHING},
        JobCase{.name = "TwoMarks",
                .before = {{"menu.txt", "head<s>NEW<e>tail"}, {"page.htm", "a<s>1<e>b<s>NEW<e>\n"}},
                .args = {"--verbose", "-s=<s>", "-e=<e>", "menu.txt", "page.htm"},
                .out = "splyce: Verbose mode activated.\nsplyce: Options -s=<s> -e=<e>\n"
                       "splyce: Sourcefile is menu.txt\nsplyce: Destination file is page.htm\n"
                       "splyce: Entering source file menu.txt (17 bytes).\n"
                       "splyce: Found mark \"NEW\" at position 4.\n"
                       "splyce: Found mark \"tail\" at position 10.\n"
                       "splyce: Storing section 0 with id \"\" and size 3.\n"
                       "splyce: Total size of all sections is 3 bytes.\n"
                       "splyce: Entering file page.htm (19 bytes).\n"
                       "splyce: Found mark \"1\" at position 1.\n"
                       "splyce: Found mark \"b\" at position 5.\n"
                       "splyce: Changing the section's size by +2 bytes and replacing the content.\n"
                       "splyce: Found mark \"NEW\" at position 11.\n"
                       "splyce: Found mark \"\" at position 17.\n"
                       "splyce: Section is up-to-date.\n"
                       "splyce: Updated page.htm\n",
                .after = {{"page.htm", "a<s>NEW<e>b<s>NEW<e>\r\n"}}},
        JobCase{.name = "SameIdTwiceWithGrowth",
                .before = {{"menu.txt", "@@a" + BIG + "@@a"}, {"page.htm", "@@a @@a|@@a @@a"}},
                .args = {"--verbose", "-a=@@", "menu.txt", "page.htm"},
                .out = "splyce: Verbose mode activated.\nsplyce: Options -a=@@\n"
                       "splyce: Sourcefile is menu.txt\nsplyce: Destination file is page.htm\n"
                       "splyce: Entering source file menu.txt (3006 bytes).\n"
                       "splyce: Found mark \"a\" at position 0.\n"
                       "splyce: Found mark \"a\" at position 3003.\n"
                       "splyce: Storing section 0 with id \"a\" and size 3000.\n"
                       "splyce: Total size of all sections is 3000 bytes.\n"
                       "splyce: Entering file page.htm (15 bytes).\n"
                       "splyce: Found mark \"a\" at position 0.\n"
                       "splyce: Found mark \"a\" at position 4.\n"
                       "splyce: Changing the section's size by +2999 bytes and replacing the content.\n"
                       "splyce: Found mark \"a\" at position 3007.\n"
                       "splyce: Found mark \"a\" at position 3011.\n"
                       "splyce: Changing the section's size by +2999 bytes and replacing the content.\n"
                       "splyce: Updated page.htm\n",
                .after = {{"page.htm", "@@a" + BIG + "@@a|@@a" + BIG + "@@a"}}}),
    [](const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; });

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bundled example site, as the README's first command runs it.
TEST_F(SiteTest, ExampleSiteFromTheReadme) {
  const fs::path example = fs::path(SPLYCE_SOURCE_DIR) / "examples" / "site";
  const fs::path golden = fs::path(SPLYCE_SOURCE_DIR) / "tests" / "e2e" / "golden" / "example";
  const std::vector<std::string> unchanged = {"about.html", "menu.txt", "notes.txt"};
  const std::vector<std::string> rewritten = {"contact.htm", "index.htm"};
  const std::string out = identical("about.html") + updated("contact.htm") + updated("index.htm");

  std::vector<std::vector<std::string>> runs = {{native("site/menu.txt")}};
  if (!target().windows) runs.push_back({path("site/menu.txt")});
  for (const auto& args : runs) {
    SCOPED_TRACE(args.front());
    fs::remove_all(path("site"));
    fs::copy(example, path("site"));
    expect_run(run(args), console(out), "", 0);
    for (const std::string& name : unchanged) EXPECT_EQ(read("site/" + name), slurp(example / name)) << name;
    for (const std::string& name : rewritten) EXPECT_EQ(read("site/" + name), slurp(golden / name)) << name;
    const std::vector<std::string> names = listing();
    EXPECT_EQ(names, (std::vector<std::string>{"site", "site/about.html", "site/contact.htm", "site/index.htm",
                                               "site/menu.txt", "site/notes.txt"}));
  }
}

// The source named with a directory part: the run moves into that directory,
// still finds the source by its name there, and takes the pages beside it.
TEST_F(SiteTest, SourceInAnotherDirectory) {
  std::vector<std::string> sources = {native("site/menu.txt"), "site\\menu.txt", native("./site/menu.txt")};
  if (!target().windows) sources.push_back(path("site/menu.txt"));
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    write("site/menu.txt", SOURCE_A);
    write("site/page.htm", PAGE_A);
    write("site/list.htm", PAGE_A);
    write("page.htm", PAGE_A);
    write("list.htm", PAGE_A);
    expect_run(run({source}), console(updated("list.htm") + updated("page.htm")), "", 0);
    EXPECT_EQ(read("site/page.htm"), PAGE_A_NEW);
    EXPECT_EQ(read("site/list.htm"), PAGE_A_NEW);
    EXPECT_EQ(read("page.htm"), PAGE_A);

    // Names in the list are taken in the source's directory, too.
    write("site/page.htm", PAGE_A);
    const RunResult listed = run({"--verbose", source, "page.htm"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find(console("splyce: Entering source file " + source + " (44 bytes).\n")), std::string::npos)
        << listed.out;
    EXPECT_TRUE(listed.out.ends_with(console(updated("page.htm")))) << listed.out;
    EXPECT_EQ(read("site/page.htm"), PAGE_A_NEW);
    EXPECT_EQ(read("page.htm"), PAGE_A);
  }
  // A directory part that does not exist: the path as given, which fails.
  expect_run(run({native("nowhere/menu.txt")}), "", console(NO_SOURCE), 1);
}

// Every name below `root`, links listed as themselves.
std::vector<std::string> names_below(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    names.push_back(e.path().lexically_relative(root).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Pages on POSIX file systems: permission bits, owners and links.
class PosixPageTest : public SiteTest {
 protected:
  void SetUp() override {
    SiteTest::SetUp();
    if (target().windows) GTEST_SKIP() << "POSIX permission bits and links";
  }
  static struct stat status_of(const std::string& file, bool follow = true) {
    struct stat st {};
    EXPECT_EQ(follow ? ::stat(file.c_str(), &st) : ::lstat(file.c_str(), &st), 0) << file;
    return st;
  }
};

TEST_F(PosixPageTest, PermissionBitsSurviveARewrite) {
  write("menu.txt", SOURCE_AB);
  const std::map<std::string, mode_t> modes = {
      {"a.htm", 0640}, {"b.htm", 0751}, {"c.htm", 0666}, {"d.htm", 04755}, {"e.htm", 02750}};
  for (const auto& [name, mode] : modes) {
    write(name, PAGE_B_OLD);
    ASSERT_EQ(::chmod(path(name).c_str(), mode), 0);
  }
  std::string out;
  for (const auto& entry : modes) out += updated(entry.first);
  expect_run(run({"menu.txt"}), out, "", 0);
  for (const auto& [name, mode] : modes) {
    EXPECT_EQ(read(name), PAGE_B_NEW) << name;
    EXPECT_EQ(status_of(path(name)).st_mode & 07777, mode) << name;
  }
  EXPECT_EQ(listing(), (std::vector<std::string>{"a.htm", "b.htm", "c.htm", "d.htm", "e.htm", "menu.txt"}));
}

TEST_F(PosixPageTest, OwnerSurvivesARewriteByRoot) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
  write("menu.txt", SOURCE_AB);
  write("page.htm", PAGE_B_OLD);
  ASSERT_EQ(::chown(path("page.htm").c_str(), 4321, 8765), 0);
  expect_run(run({"menu.txt"}), updated("page.htm"), "", 0);
  EXPECT_EQ(read("page.htm"), PAGE_B_NEW);
  const struct stat st = status_of(path("page.htm"));
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 8765u);
}

TEST_F(PosixPageTest, SymbolicLinkStaysALink) {
  write("pages/menu.txt", SOURCE_AB);
  write("store/target.txt", PAGE_B_OLD);
  ASSERT_EQ(::chmod(path("store/target.txt").c_str(), 0640), 0);
  fs::create_symlink("../store/target.txt", path("pages/link.htm"));
  fs::create_symlink("link.htm", path("pages/chain.htm"));
  expect_run(run({native("pages/menu.txt")}), updated("chain.htm") + identical("link.htm"), "", 0);
  EXPECT_TRUE(fs::is_symlink(path("pages/link.htm")));
  EXPECT_TRUE(fs::is_symlink(path("pages/chain.htm")));
  EXPECT_EQ(fs::read_symlink(path("pages/link.htm")), "../store/target.txt");
  EXPECT_EQ(fs::read_symlink(path("pages/chain.htm")), "link.htm");
  EXPECT_EQ(read("store/target.txt"), PAGE_B_NEW);
  EXPECT_EQ(status_of(path("store/target.txt")).st_mode & 07777, 0640u);
  EXPECT_EQ(names_below(dir), (std::vector<std::string>{"pages", "pages/chain.htm", "pages/link.htm",
                                                        "pages/menu.txt", "store", "store/target.txt"}));
}

TEST_F(PosixPageTest, LinkToAReadOnlyPageIsAWriteError) {
  write("menu.txt", SOURCE_AB);
  write("store/target.txt", PAGE_B_OLD);
  ASSERT_EQ(::chmod(path("store/target.txt").c_str(), 0444), 0);
  fs::create_symlink("store/target.txt", path("link.htm"));
  write("page.htm", PAGE_B_OLD);
  expect_run(run({"menu.txt"}), "", "splyce: Error writing file ./link.htm\n", 1);
  EXPECT_EQ(read("store/target.txt"), PAGE_B_OLD);
  EXPECT_EQ(read("page.htm"), PAGE_B_OLD);
  EXPECT_TRUE(fs::is_symlink(path("link.htm")));
  EXPECT_EQ(names_below(dir), (std::vector<std::string>{"link.htm", "menu.txt", "page.htm", "store",
                                                        "store/target.txt"}));
}

TEST_F(PosixPageTest, DanglingLinkCannotBeAccessed) {
  write("menu.txt", SOURCE_AB);
  fs::create_symlink("nowhere.htm", path("gone.htm"));
  expect_run(run({"menu.txt"}), NOTHING, "splyce: Cannot access file ./gone.htm\n", 0);
  EXPECT_FALSE(exists("nowhere.htm"));
  EXPECT_EQ(names_below(dir), (std::vector<std::string>{"gone.htm", "menu.txt"}));
}

TEST_F(PosixPageTest, HardLinkedPageIsRewrittenInPlace) {
  write("menu.txt", SOURCE_AB);
  write("page.htm", PAGE_B_OLD);
  fs::create_hard_link(path("page.htm"), path("twin.txt"));
  const ino_t inode = status_of(path("page.htm")).st_ino;
  expect_run(run({"menu.txt"}), updated("page.htm"), "", 0);
  EXPECT_EQ(read("page.htm"), PAGE_B_NEW);
  EXPECT_EQ(read("twin.txt"), PAGE_B_NEW);
  EXPECT_EQ(status_of(path("page.htm")).st_ino, inode);
  EXPECT_EQ(status_of(path("page.htm")).st_nlink, 2u);
  EXPECT_EQ(listing(), (std::vector<std::string>{"menu.txt", "page.htm", "twin.txt"}));
}

// The kernel clears set-id bits on every write by an unprivileged process, so
// a page rewritten in place (here: hard-linked) gets them back when closed.
TEST_F(PosixPageTest, SetIdBitsSurviveAnInPlaceRewrite) {
  if (geteuid() == 0) GTEST_SKIP() << "root's writes keep set-id bits";
  write("menu.txt", SOURCE_AB);
  write("page.htm", PAGE_B_OLD);
  fs::create_hard_link(path("page.htm"), path("twin.txt"));
  ASSERT_EQ(::chmod(path("page.htm").c_str(), 04755), 0);
  expect_run(run({"menu.txt"}), updated("page.htm"), "", 0);
  EXPECT_EQ(read("twin.txt"), PAGE_B_NEW);
  EXPECT_EQ(status_of(path("page.htm")).st_mode & 07777, 04755u);
}

TEST_F(PosixPageTest, PageInADirectoryClosedForNewFilesIsRewrittenInPlace) {
  if (geteuid() == 0) GTEST_SKIP() << "root may create files in any directory";
  write("pages/menu.txt", SOURCE_AB);
  write("pages/page.htm", PAGE_B_OLD);
  ASSERT_EQ(::chmod(path("pages").c_str(), 0555), 0);
  const RunResult got = run({native("pages/menu.txt")});
  ::chmod(path("pages").c_str(), 0755);
  expect_run(got, updated("page.htm"), "", 0);
  EXPECT_EQ(read("pages/page.htm"), PAGE_B_NEW);
  EXPECT_EQ(listing(), (std::vector<std::string>{"pages", "pages/menu.txt", "pages/page.htm"}));
}

// What a user without the needed rights meets; root has them all.
TEST_F(PosixPageTest, RefusedAccessIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "root may read and list everything";
  write("menu.txt", SOURCE_AB);
  write("closed.htm", PAGE_B_OLD);
  write("page.htm", PAGE_B_OLD);
  write("sub/a.htm", PAGE_B_OLD);
  ASSERT_EQ(::chmod(path("closed.htm").c_str(), 0200), 0);
  ASSERT_EQ(::chmod(path("sub").c_str(), 0311), 0);
  expect_run(run({"menu.txt"}), updated("page.htm"), "splyce: Cannot open ./closed.htm\n", 0);
  expect_run(run({"menu.txt", "sub/*"}), "", "splyce: Cannot access destination directory.\n", 1);
  ASSERT_EQ(::chmod(path("menu.txt").c_str(), 0200), 0);
  expect_run(run({"menu.txt"}), "", NO_SOURCE, 1);
  ::chmod(path("sub").c_str(), 0755);
  ::chmod(path("closed.htm").c_str(), 0644);
  EXPECT_EQ(read("closed.htm"), PAGE_B_OLD);
  EXPECT_EQ(read("sub/a.htm"), PAGE_B_OLD);
  EXPECT_EQ(read("page.htm"), PAGE_B_NEW);
}

// Paths far longer than any fixed buffer are used whole, in every role.
TEST_F(PosixPageTest, SevenHundredCharacterPathsAreNeverCut) {
  std::string deep;
  for (int i = 0; i < 7; ++i) deep += (i ? "/" : "") + std::string(99, static_cast<char>('a' + i));
  ASSERT_GT(deep.size() + 9, 700u);
  const std::string page = deep + "/page.htm";
  write(deep + "/menu.txt", SOURCE_AB);
  write("menu.txt", SOURCE_AB);

  write(page, PAGE_B_OLD);
  expect_run(run({deep + "/menu.txt"}), updated("page.htm"), "", 0);
  EXPECT_EQ(read(page), PAGE_B_NEW);

  write(page, PAGE_B_OLD);
  expect_run(run({"menu.txt", page}), updated(page), "", 0);
  EXPECT_EQ(read(page), PAGE_B_NEW);

  write(page, PAGE_B_OLD);
  expect_run(run({"menu.txt", deep + "/*.htm"}), updated(page), "", 0);
  EXPECT_EQ(read(page), PAGE_B_NEW);

  write(page, PAGE_B_OLD);
  ASSERT_EQ(::chmod(path(page).c_str(), 0444), 0);
  expect_run(run({"menu.txt", deep + "/missing.htm", page}), "",
             "splyce: Cannot access file " + deep + "/missing.htm\nsplyce: Error writing file " + page + "\n", 1);
  EXPECT_EQ(read(page), PAGE_B_OLD);
}

// A file in the root directory, removed again whatever happens.
struct RootFile {
  std::string name;
  bool made = false;
  RootFile(const std::string& n, const std::string& bytes) : name("/" + n) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
    made = out.good();
  }
  ~RootFile() {
    if (made) std::remove(name.c_str());
  }
  RootFile(const RootFile&) = delete;
  RootFile& operator=(const RootFile&) = delete;
};

TEST_F(PosixPageTest, PatternWithOnlyALeadingSlashSelectsTheRoot) {
  const std::string unique = "splyce-e2e-" + fs::path(dir).filename().string();
  RootFile page(unique + ".htm", PAGE_B_OLD);
  if (!page.made) GTEST_SKIP() << "cannot make a file in /";
  write("menu.txt", SOURCE_AB);
  write(unique + ".htm", PAGE_B_OLD);  // same name in the working directory: must stay
  const RunResult got = run({"--verbose", "menu.txt", "/" + unique + "*"});
  EXPECT_EQ(got.err, "");
  EXPECT_EQ(got.status, 0);
  EXPECT_NE(got.out.find("splyce: Opened directory /\n"), std::string::npos) << got.out;
  EXPECT_NE(got.out.find("splyce: Entering file /" + unique + ".htm (" + std::to_string(PAGE_B_OLD.size()) +
                         " bytes).\n"),
            std::string::npos)
      << got.out;
  EXPECT_TRUE(got.out.ends_with(updated("/" + unique + ".htm"))) << got.out;
  EXPECT_EQ(slurp(page.name), PAGE_B_NEW);
  EXPECT_EQ(read(unique + ".htm"), PAGE_B_OLD);

  // The same with a backslash.
  { std::ofstream(page.name, std::ios::binary | std::ios::trunc) << PAGE_B_OLD; }
  const RunResult back = run({"menu.txt", "\\" + unique + "*"});
  EXPECT_EQ(back.err, "");
  EXPECT_EQ(back.status, 0);
  EXPECT_EQ(slurp(page.name), PAGE_B_NEW);
  EXPECT_EQ(read(unique + ".htm"), PAGE_B_OLD);
}

TEST_F(SiteTest, FullTableWithVerboseExplains) {
  write("menu.txt", many_sections(201));
  const RunResult got = run({"--verbose", "menu.txt"});
  EXPECT_TRUE(got.out.ends_with(console("splyce: Storing section 199 with id \"_s199\" and size 3.\n"
                                        "splyce: Found mark \"_s200\" at position 7380.\n"
                                        "splyce: Found mark \"_s200\" at position 7400.\n"
                                        "splyce: Unable to store the position of this mark.\n")))
      << got.out.substr(got.out.size() > 400 ? got.out.size() - 400 : 0);
  EXPECT_EQ(got.err, console("splyce: Too many sections in source file.\n"));
  EXPECT_EQ(got.status, 1);
}

}  // namespace
}  // namespace splyce::e2e
