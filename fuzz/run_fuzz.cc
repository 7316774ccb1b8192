// The option loop and the whole run on arbitrary argument lists, over a
// small in-memory site. Whatever the arguments, the run ends with 0 or 1,
// prints only its own kinds of lines, leaves no temporary file and rewrites
// a page only as a whole text-mode file.
#include <string>
#include <vector>

#include "cli/help_texts.h"
#include "cli/options.h"
#include "cli/run.h"
#include "fuzz/fuzz_input.h"
#include "support/memory_platform.h"

namespace splyce::fuzz {
namespace {

using testing::MemoryPlatform;

const std::vector<std::pair<std::string, std::string>> SITE = {
    {"/site/menu.txt", "head SPLYCE_BLOCK_nav <a>new</a>\nSPLYCE_BLOCK_nav tail\n[[two]] x ]]"},
    {"/site/a.htm", "<p>SPLYCE_BLOCK_nav old\r\nSPLYCE_BLOCK_nav</p>\r\n"},
    {"/site/b.html", "SPLYCE_BLOCK_nav <a>new</a>\nSPLYCE_BLOCK_nav"},
    {"/site/c.htm", "no marks\n\x1a after"},
    {"/site/sub/d.htm", "[[ old ]] SPLYCE_BLOCK_x"},
    {"/site/splyce", "SPLYCE_BLOCK_nav"},
    {"/site/.hidden.htm", "SPLYCE_BLOCK_nav z SPLYCE_BLOCK_nav"},
    {"/site/empty.htm", ""},
};

bool starts_with(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

// Every line of a stream is one of the program's own.
bool lines_are_own(const std::string& stream) {
  std::size_t at = 0;
  while (at < stream.size()) {
    std::size_t end = stream.find('\n', at);
    const std::string line = stream.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? stream.size() : end + 1;
    if (starts_with(line, "splyce: ") || line == "Try: splyce --help" || line == "Versuchen Sie: splyce --hilfe" ||
        starts_with(line, "--- ")) {
      continue;
    }
    return false;
  }
  return true;
}

// A rewritten page has every LF after a CR, and no CR or 0x1A alone.
bool is_text_mode_output(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\x1a') return false;
    if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) return false;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  return true;
}

void check_options(const std::vector<std::string>& args) {
  MemoryPlatform platform;
  Console console(platform);
  Options options;
  if (parse_options(args, options, console, platform.path_style()) != OUTCOME_SUCCESS) return;
  // After validation exactly one marking mode is in force, with no empty mark.
  if (options.shared_mark) {
    check(!options.shared_mark->empty(), "empty shared mark in use");
    check(!options.start_mark || options.start_mark->empty(), "shared mark beside a start mark");
  } else {
    check(options.start_mark && !options.start_mark->empty() && options.end_mark && !options.end_mark->empty(),
          "two-mark mode without both marks");
    check(!options.need_border_marks, "border marks in two-mark mode");
  }
  // Pattern mode: no DEST at all, or a first DEST whose last component holds a "*".
  bool pattern = options.dest_args.empty();
  if (!pattern) {
    const std::string& first = options.dest_args.front();
    const std::size_t sep = first.find_last_of("/\\");
    pattern = first.find('*', sep == std::string::npos ? 0 : sep + 1) != std::string::npos;
    check(!pattern || options.dest_pattern == first, "pattern taken from the first DEST");
  }
  check(options.pattern_mode == pattern, "destination mode");
  check(platform.out.empty() && platform.err.empty(), "the option loop printed something");
}

void check_run(const std::vector<std::string>& args) {
  MemoryPlatform platform;
  for (const auto& [path, bytes] : SITE) platform.add_file(path, bytes);
  platform.add_file("/site/locked.htm", "SPLYCE_BLOCK_nav locked SPLYCE_BLOCK_nav", true);
  platform.change_directory("/site");
  const int status = run_splyce(platform, args);
  check(status == 0 || status == 1, "exit status");
  // Messages quote arguments and names, so a line end inside one starts a
  // line that is not the program's own; only then is the check off.
  bool quoted_line_end = false;
  for (const std::string& a : args) quoted_line_end |= a.find('\n') != std::string::npos;
  // A help text comes whole, and only the wait prompt may follow it.
  std::string out = platform.out;
  for (const char* help : {help_text_en, help_text_de}) {
    if (starts_with(out, help)) out.erase(0, std::string(help).size());
  }
  check(quoted_line_end || lines_are_own(out), "a line on standard output that is not the program's");
  check(quoted_line_end || lines_are_own(platform.err), "a line on standard error that is not the program's");
  bool test_mode = false;
  for (const std::string& a : args) {
    if (a == "--" || a.empty() || a[0] != '-') break;
    if (a == "--test") test_mode = true;
  }
  for (const std::string& name : platform.all_files()) {
    check(name.find(".splyce-") == std::string::npos, "temporary file left behind");
  }
  for (const auto& [path, bytes] : SITE) {
    check(platform.has_file(path), "a page vanished");
    const std::string& now = platform.file(path);
    if (now == bytes) continue;
    check(!test_mode, "a page changed in a simulation");
    check(is_text_mode_output(now), "a page was not rewritten as a whole text-mode file");
  }
}

}  // namespace
}  // namespace splyce::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Arguments are NUL-separated, as they would come from the system.
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 0; i < size && args.size() < 16; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (!current.empty() && args.size() < 16) args.push_back(current);
  splyce::fuzz::check_options(args);
  splyce::fuzz::check_run(args);
  return 0;
}
