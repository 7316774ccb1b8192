// The command line end to end: options, validation, the summary, the final
// messages, the wait prompt and the exit status.
#include <fstream>
#include <iterator>

#include "e2e/site_fixture.h"

namespace splyce::e2e {
namespace {

const std::string MISSING = "splyce: Missing source file name.\nTry: splyce --help\nVersuchen Sie: splyce --hilfe\n";
const std::string UNKNOWN = "splyce: Option not recognized.\nTry: splyce --help\nVersuchen Sie: splyce --hilfe\n";
const std::string ONLY_ONE = "splyce: Option -s requires option -e, and vice versa.\n";
const std::string COMBINED = "splyce: Option -a may not be combined with -s nor -e.\n";
const std::string BORDER = "splyce: Option --need-start-mark may not be combined with -s nor -e.\n";
const std::string NOTHING = "splyce: No file has been changed.\n";
const std::string PROMPT_EN = "--- Please press Enter. --- ";
const std::string PROMPT_DE = "--- Bitte die Eingabetaste druecken. --- ";

std::string golden(const std::string& name) {
  std::ifstream in(std::string(SPLYCE_SOURCE_DIR) + "/tests/e2e/golden/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
const std::string HELP_EN = golden("help_en.txt");
const std::string HELP_DE = golden("help_de.txt");

// The verbose lines of a run on src.txt ("plain text\n", no marks).
std::string verbose_head(const std::string& options, const std::string& destinations) {
  return "splyce: Verbose mode activated.\nsplyce: Options" + options +
         "\nsplyce: Sourcefile is src.txt\nsplyce: Destination file" + destinations;
}
const std::string SOURCE_WITHOUT_MARKS =
    "splyce: Entering source file src.txt (11 bytes).\nsplyce: Total size of all sections is 0 bytes.\n";
const std::string OPENED = "splyce: Opened directory .\n";

struct CommandCase {
  std::vector<std::string> args;
  std::string out;
  std::string err;
  int status;
};

void PrintTo(const CommandCase& c, std::ostream* os) {
  for (const std::string& a : c.args) *os << '[' << a << ']';
}

class CommandLineTest : public SiteTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandLineTest, BehavesAsDocumented) {
  write("src.txt", "plain text\n");
  write("-x.txt", "plain text\n");
  const CommandCase& c = GetParam();
  expect_run(run(c.args), console(c.out), console(c.err), c.status);
  EXPECT_EQ(read("src.txt"), "plain text\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    ::testing::Values(
        CommandCase{{}, "", MISSING, 1},
        CommandCase{{"--verbose"}, "", MISSING, 1},
        CommandCase{{"--test", "--"}, "", MISSING, 1},
        CommandCase{{"--", "-x.txt"}, NOTHING, "", 0},
        CommandCase{{"-x"}, "", UNKNOWN, 1},
        CommandCase{{"-s", "src.txt"}, "", UNKNOWN, 1},
        CommandCase{{"-S=A", "src.txt"}, "", UNKNOWN, 1},
        CommandCase{{"--Help"}, "", UNKNOWN, 1},
        CommandCase{{"-", "src.txt"}, "", UNKNOWN, 1},
        CommandCase{{"--help"}, HELP_EN, "", 0},
        CommandCase{{"--help", "-x"}, HELP_EN, "", 0},
        CommandCase{{"-x", "--help"}, "", UNKNOWN, 1},
        CommandCase{{"--hilfe"}, HELP_DE, "", 0},
        CommandCase{{"--verbose", "--help"}, HELP_EN, "", 0},
        CommandCase{{"--wait", "--help"}, HELP_EN + PROMPT_EN, "", 0},
        CommandCase{{"--help", "--wait"}, HELP_EN, "", 0},
        CommandCase{{"--warten", "--hilfe"}, HELP_DE + PROMPT_DE, "", 0},
        CommandCase{{"--warten", "--wait", "src.txt"}, NOTHING + PROMPT_EN, "", 0},
        CommandCase{{"--wait", "--warten", "src.txt"}, NOTHING + PROMPT_DE, "", 0},
        CommandCase{{"--wait", "-x"}, PROMPT_EN, UNKNOWN, 1},
        CommandCase{{"--warten", "missing.txt"}, PROMPT_DE, "splyce: Could not access source file.\n", 1},
        CommandCase{{"src.txt", "--verbose"}, NOTHING, "splyce: Cannot access file --verbose\n", 0},
        CommandCase{{"-s=A", "src.txt"}, "", ONLY_ONE, 1},
        CommandCase{{"-e=B", "src.txt"}, "", ONLY_ONE, 1},
        CommandCase{{"-s=", "-e=B", "src.txt"}, "", ONLY_ONE, 1},
        CommandCase{{"-a=M", "-s=A", "src.txt"}, "", COMBINED, 1},
        CommandCase{{"-a=M", "-e=B", "src.txt"}, "", COMBINED, 1},
        CommandCase{{"-s=A", "-e=B", "--need-border-marks", "src.txt"}, "", BORDER, 1},
        CommandCase{{"-a=", "-s=A", "-e=B", "--need-border-marks", "src.txt"}, "", BORDER, 1},
        CommandCase{{"--verbose", "--need-border-marks", "src.txt"},
                    verbose_head(" --need-border-marks -a=SPLYCE_BLOCK", "s are all .htm and .html files.\n") +
                        SOURCE_WITHOUT_MARKS + OPENED + NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "-s=", "-e=", "src.txt"},
                    verbose_head(" -s= -e= -a=SPLYCE_BLOCK", "s are all .htm and .html files.\n") +
                        SOURCE_WITHOUT_MARKS + OPENED + NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "-a=M", "-e=", "src.txt"},
                    verbose_head(" -e= -a=M", "s are all .htm and .html files.\n") + SOURCE_WITHOUT_MARKS +
                        OPENED + NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "-a=", "src.txt"},
                    verbose_head(" -a=SPLYCE_BLOCK", "s are all .htm and .html files.\n") + SOURCE_WITHOUT_MARKS +
                        OPENED + NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "-a=", "-s=A", "-e=B", "src.txt"},
                    verbose_head(" -s=A -e=B", "s are all .htm and .html files.\n") +
                        "splyce: Entering source file src.txt (11 bytes).\n"
                        "splyce: Assuming start of file as start of section.\n"
                        "splyce: Assuming end of file as end of section.\n"
                        "splyce: Storing section 0 with id \"\" and size 11.\n"
                        "splyce: Total size of all sections is 11 bytes.\n" +
                        OPENED + NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "-a=X", "-a=Y", "src.txt"},
                    verbose_head(" -a=Y", "s are all .htm and .html files.\n") + SOURCE_WITHOUT_MARKS + OPENED +
                        NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "src.txt", "p*.htm"},
                    verbose_head(" -a=SPLYCE_BLOCK", "s are all files matching p*.htm\n") + SOURCE_WITHOUT_MARKS +
                        OPENED + NOTHING,
                    "", 0},
        CommandCase{{"--verbose", "--test", "--wait", "src.txt", "a.htm"},
                    verbose_head(" --test --wait -a=SPLYCE_BLOCK", " is a.htm\n") +
                        "splyce: Simulation mode activated.\n" + SOURCE_WITHOUT_MARKS + NOTHING + PROMPT_EN,
                    "splyce: Cannot access file a.htm\n", 0},
        CommandCase{{"--verbose", "src.txt", "a.htm", "b.htm"},
                    verbose_head(" -a=SPLYCE_BLOCK", "s are a.htm, b.htm\n") + SOURCE_WITHOUT_MARKS + NOTHING,
                    "splyce: Cannot access file a.htm\nsplyce: Cannot access file b.htm\n", 0},
        CommandCase{{"--verbose", "src.txt", "a.htm", "b.htm", "c.htm", "d.htm"},
                    verbose_head(" -a=SPLYCE_BLOCK", "s are a.htm, b.htm, ...\n") + SOURCE_WITHOUT_MARKS + NOTHING,
                    "splyce: Cannot access file a.htm\nsplyce: Cannot access file b.htm\n"
                    "splyce: Cannot access file c.htm\nsplyce: Cannot access file d.htm\n",
                    0},
        CommandCase{{"--verbose", "src.txt", "a.htm", "p*.htm"},
                    verbose_head(" -a=SPLYCE_BLOCK", "s are a.htm, p*.htm\n") + SOURCE_WITHOUT_MARKS + NOTHING,
                    "splyce: Cannot access file a.htm\nsplyce: Cannot access file p*.htm\n", 0},
        CommandCase{{"--verbose", "src.txt", "dir*\\page.htm"},
                    verbose_head(" -a=SPLYCE_BLOCK", " is dir*\\page.htm\n") + SOURCE_WITHOUT_MARKS + NOTHING,
                    "splyce: Cannot access file dir*\\page.htm\n", 0},
        CommandCase{{"--verbose", "src.txt", "sub\\p*"},
                    verbose_head(" -a=SPLYCE_BLOCK", "s are all files matching sub\\p*\n") + SOURCE_WITHOUT_MARKS,
                    "splyce: Cannot access destination directory.\n", 1},
        CommandCase{{"--verbose", "src.txt", ""},
                    verbose_head(" -a=SPLYCE_BLOCK", " is \n") + SOURCE_WITHOUT_MARKS + NOTHING,
                    "splyce: Cannot access file \n", 0},
        CommandCase{{"--test", "src.txt"}, "splyce: Simulation mode activated.\n" + NOTHING, "", 0},
        CommandCase{{"missing.txt"}, "", "splyce: Could not access source file.\n", 1}));

TEST_F(SiteTest, HelpTextsAreExactBytes) {
  // Both texts open with an empty line and close with one; only the German
  // text holds bytes above 127: three UTF-8 letters.
  ASSERT_GT(HELP_EN.size(), 100u);
  EXPECT_EQ(HELP_EN.substr(0, 6), "\nNAME\n");
  EXPECT_TRUE(HELP_EN.ends_with("    it is aborted while writing to disk an error occures.\n\n"));
  EXPECT_EQ(HELP_EN.find_first_of(std::string("\x80\xff%\t", 4)), std::string::npos);
  EXPECT_EQ(HELP_EN.find("\\*") != std::string::npos, true);
  int high = 0;
  for (unsigned char c : HELP_DE) high += c > 127;
  EXPECT_EQ(high, 6);
  EXPECT_NE(HELP_DE.find("f\xC3\xBCr"), std::string::npos);
  EXPECT_NE(HELP_DE.find("ben\xC3\xB6tigen"), std::string::npos);
  EXPECT_NE(HELP_DE.find("Dr\xC3\xBC" "cken"), std::string::npos);

  expect_run(run({"--help"}), console(HELP_EN), "", 0);
  expect_run(run({"--hilfe"}), console(HELP_DE), "", 0);
}

}  // namespace
}  // namespace splyce::e2e
