// Every way the disk can let a run down, one at a time, at every point of a
// whole run: each fault must give its own lines and exit status, and leave
// every page either exactly as it was or exactly as a clean run writes it,
// with no temporary file beside it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/run.h"
#include "support/memory_platform.h"

namespace splyce {
namespace {

using testing::MemoryPlatform;
using testing::Op;

const std::string NOTHING = "splyce: No file has been changed.\n";
const std::string NO_SOURCE = "splyce: Could not access source file.\n";

struct Page {
  std::string name;  // in /site
  std::string bytes;
  int links = 1;
};

const std::string SOURCE = "top\nSPLYCE_BLOCK_nav\n<a>new</a>\nSPLYCE_BLOCK_nav\nSPLYCE_BLOCK_foot (c) SPLYCE_BLOCK_foot\n";
const std::string TWO_MARK_SOURCE = "x [[<b>shared</b>]] y";

// A site on which a clean run updates some pages, finds one identical, and
// passes over the rest; one page has a second hard link, so it is rewritten
// in place.
const std::vector<Page> PAGES = {
    {"a.htm", "<p>\nSPLYCE_BLOCK_nav\nold\nSPLYCE_BLOCK_nav\n</p>\n"},
    {"b.htm", "SPLYCE_BLOCK_nav\n<a>new</a>\nSPLYCE_BLOCK_nav x"},
    {"c.html", "SPLYCE_BLOCK_foot a much longer old footer SPLYCE_BLOCK_foot\r\nSPLYCE_BLOCK_nav\r\nSPLYCE_BLOCK_nav\r\n"},
    {"d.htm", "no marks at all\n"},
    {"e.htm", "[[x]] SPLYCE_BLOCK_foot SPLYCE_BLOCK_foot [[y]]", 2},
    {"notes.txt", "SPLYCE_BLOCK_nav SPLYCE_BLOCK_nav"},
};

struct Scenario {
  std::string name;
  std::vector<std::string> options;
  std::string source = SOURCE;
  bool list_mode = false;         // the pages are named on the command line
  bool replacement_refused = false;  // no new file can be made beside a page
};

const std::vector<Scenario> SCENARIOS = {
    {"pattern", {}},
    {"list_verbose", {"--verbose"}, SOURCE, true},
    {"no_replacement", {}, SOURCE, false, true},
    {"two_marks", {"-s=[[", "-e=]]"}, TWO_MARK_SOURCE},
    {"simulation", {"--test", "--verbose"}},
};

// One call the program made, as the disk saw it.
struct Call {
  Op op;
  int nth;            // 1-based among the calls of its kind
  std::string file;   // the last component of the name it concerns
  int64_t count = 0;  // bytes asked for, for write
};

// The in-memory disk, remembering every call and what a write was asked to take.
class RecordingPlatform : public MemoryPlatform {
 public:
  RecordingPlatform() {
    before = [this](Op op, const std::string& path) {
      const std::size_t slash = path.find_last_of('/');
      log.push_back({op, calls_of(op), slash == std::string::npos ? path : path.substr(slash + 1), pending_count_});
      if (also_before) also_before(op, path);
    };
  }
  int64_t write(int fd, const char* src, int64_t count) override {
    pending_count_ = count;
    const int64_t n = MemoryPlatform::write(fd, src, count);
    pending_count_ = 0;
    return n;
  }
  std::vector<Call> log;
  std::function<void(Op, const std::string&)> also_before;

 private:
  int calls_of(Op op) const { return MemoryPlatform::calls(op); }
  int64_t pending_count_ = 0;
};

struct RunState {
  int status = -1;
  std::string out;
  std::string err;
  std::map<std::string, std::string> files;  // every file on the disk afterwards
  std::vector<Call> calls;
};

std::vector<std::string> arguments(const Scenario& s) {
  std::vector<std::string> args = s.options;
  args.push_back("site/menu.txt");
  if (s.list_mode) {
    for (const Page& p : PAGES) args.push_back(p.name);
  }
  return args;
}

// Runs the scenario; `emptied` pages are empty, which a run passes over
// without a word; `shrunk` pages hold only their first half; `setup` can add
// faults and hooks.
RunState run(const Scenario& s, const std::set<std::string>& emptied = {},
             const std::set<std::string>& shrunk = {},
             const std::function<void(RecordingPlatform&)>& setup = nullptr) {
  RecordingPlatform disk;
  disk.add_file("site/menu.txt", s.source);
  for (const Page& p : PAGES) {
    disk.add_file("site/" + p.name, emptied.count(p.name)  ? ""
                                    : shrunk.count(p.name) ? p.bytes.substr(0, p.bytes.size() / 2)
                                                           : p.bytes);
    disk.set_links("site/" + p.name, p.links);
  }
  disk.replacement_refused = s.replacement_refused;
  if (setup) setup(disk);
  RunState state;
  state.status = run_splyce(disk, arguments(s));
  state.out = disk.out;
  state.err = disk.err;
  for (const std::string& f : disk.all_files()) state.files[f] = disk.file(f);
  state.calls = disk.log;
  return state;
}

std::string original(const Scenario& s, const std::string& file) {
  if (file == "/site/menu.txt") return s.source;
  for (const Page& p : PAGES) {
    if ("/site/" + p.name == file) return p.bytes;
  }
  return "";
}

// The name a page has in the run's messages.
std::string full_path(const Scenario& s, const std::string& page) { return s.list_mode ? page : "./" + page; }

struct Tally {
  int faults = 0;
  int pages_compared = 0;
  int pages_lost = 0;
} tally;

// What a fault at one call must lead to, told from a clean run.
struct Expectation {
  int status;
  std::string out;
  std::string err;
  std::map<std::string, std::string> files;
};

// The pages in the order the run takes them, and for each call the page it
// concerns and whether it belongs to the page's load or to its write-back.
struct CallMap {
  std::vector<std::string> page_of;  // "" for the source or the directory
  std::vector<bool> writing;
  std::vector<bool> reader_close;    // the close after reading back a page rewritten in place
};

CallMap map_calls(const std::vector<Call>& calls) {
  CallMap m;
  std::map<std::string, int> inspections;
  std::string temp_owner;
  std::string reading_back;
  for (const Call& c : calls) {
    std::string page = c.file;
    if (page.rfind(".splyce-", 0) == 0) page = temp_owner;
    if (page == "menu.txt" || page == "site" || page == "." || page.empty()) page.clear();
    if (c.op == Op::inspect && !page.empty()) ++inspections[page];
    const bool writing = !page.empty() && inspections[page] >= 2;
    if (c.op == Op::create_replacement) temp_owner = page;
    m.page_of.push_back(page);
    m.writing.push_back(writing);
    m.reader_close.push_back(c.op == Op::close && writing && reading_back == page);
    if (c.op == Op::open_for_reading) reading_back = writing ? page : "";
    if (c.op == Op::open_for_rewriting) reading_back.clear();
  }
  return m;
}

// The lines of a clean run up to the page's "Updated" line.
std::string out_before_update(const std::string& out, const std::string& page) {
  const std::size_t at = out.find("splyce: Updated " + page + "\n");
  return at == std::string::npos ? out : out.substr(0, at);
}

Expectation expect_write_failure(const Scenario& s, const RunState& clean, const std::string& page,
                                 const std::string& page_bytes_now) {
  Expectation e{1, out_before_update(clean.out, page), "splyce: Error writing file " + full_path(s, page) + "\n", {}};
  for (const auto& [file, bytes] : clean.files) {
    const std::string name = file.substr(file.find_last_of('/') + 1);
    const bool updated_before = e.out.find("splyce: Updated " + name + "\n") != std::string::npos;
    e.files[file] = updated_before ? bytes : original(s, file);
  }
  e.files["/site/" + page] = page_bytes_now;
  return e;
}

Expectation expect_all_untouched(const Scenario& s, int status, const std::string& out, const std::string& err,
                                 const RunState& clean) {
  Expectation e{status, out, err, {}};
  for (const auto& [file, bytes] : clean.files) e.files[file] = original(s, file);
  return e;
}

void compare(const Scenario& s, const RunState& got, const Expectation& want, const std::string& what) {
  ++tally.faults;
  EXPECT_EQ(got.status, want.status) << what;
  EXPECT_EQ(got.out, want.out) << what;
  EXPECT_EQ(got.err, want.err) << what;
  EXPECT_EQ(got.files.size(), want.files.size()) << what << ": a file was left behind or lost";
  for (const auto& [file, bytes] : want.files) {
    ++tally.pages_compared;
    const auto it = got.files.find(file);
    const bool same = it != got.files.end() && it->second == bytes;
    if (!same && (it == got.files.end() || it->second != original(s, file))) ++tally.pages_lost;
    EXPECT_TRUE(same) << what << ": " << file;
  }
  for (const auto& [file, bytes] : got.files) {
    EXPECT_EQ(file.find(".splyce-"), std::string::npos) << what << ": temporary file left behind";
  }
}

class FaultSweep : public ::testing::TestWithParam<Scenario> {};

// Each call of the clean run fails in turn (a write also after taking none,
// half or all but one of its bytes), and the run must end as told above.
TEST_P(FaultSweep, EveryCallFailingAloneLeavesEveryPageWhole) {
  const Scenario& s = GetParam();
  const RunState clean = run(s);
  ASSERT_EQ(clean.status, 0);
  ASSERT_EQ(clean.err, "");
  const CallMap map = map_calls(clean.calls);

  for (std::size_t i = 0; i < clean.calls.size(); ++i) {
    const Call& c = clean.calls[i];
    const std::string& page = map.page_of[i];
    std::vector<int64_t> keeps{-1};
    if (c.op == Op::write) keeps = {-1, 0, c.count / 2, c.count - 1};
    for (const int64_t keep : keeps) {
      const std::string what = s.name + ": call " + std::to_string(i) + " (op " + std::to_string(int(c.op)) +
                               " #" + std::to_string(c.nth) + " on '" + c.file + "', keep " +
                               std::to_string(keep) + ")";
      const RunState got = run(s, {}, {}, [&](RecordingPlatform& d) { d.faults.push_back({c.op, c.nth, keep}); });
      Expectation want;
      if (c.op == Op::change_directory) {
        // The source is still found from where the run began, but the pages
        // are not beside it there.
        want = expect_all_untouched(s, 0, got.out, got.err, clean);
        EXPECT_EQ(got.err.find("splyce: Error writing"), std::string::npos) << what;
        EXPECT_NE(got.out.find(NOTHING), std::string::npos) << what;
      } else if (c.op == Op::list_directory) {
        want = expect_all_untouched(s, 1, s.options.empty() ? "" : got.out, "splyce: Cannot access destination directory.\n",
                                    clean);
        EXPECT_EQ(got.out.find("splyce: Updated"), std::string::npos) << what;
      } else if (page.empty()) {
        // The source: only the close may fail without harm.
        want = c.op == Op::close ? Expectation{0, clean.out, "", clean.files}
                                 : expect_all_untouched(s, 1, got.out, NO_SOURCE, clean);
        if (c.op != Op::close) {
          EXPECT_EQ(got.out.find("splyce: Updated"), std::string::npos) << what;
        }
      } else if (!map.writing[i]) {
        // Loading a page: the page is passed over with its own line.
        if (c.op == Op::close) {
          want = {0, clean.out, "", clean.files};
        } else {
          const RunState without = run(s, {page});
          const std::string line = c.op == Op::inspect ? "splyce: Cannot access file "
                                   : c.op == Op::open_for_reading ? "splyce: Cannot open "
                                                                  : "splyce: Cannot read ";
          want = {without.status, without.out, line + full_path(s, page) + "\n", without.files};
          want.files["/site/" + page] = original(s, "/site/" + page);
        }
      } else if (c.op == Op::create_replacement || map.reader_close[i]) {
        // No new file beside the page, or a failed close after reading it
        // back: the page is still rewritten, in place.
        want = {0, clean.out, "", clean.files};
      } else {
        want = expect_write_failure(s, clean, page, original(s, "/site/" + page));
      }
      compare(s, got, want, what);
    }
  }
}

// A read that comes back short is the end of the file: the page shrank after
// its size was taken. The run must treat the page as holding what was read,
// and a page that shrinks between its load and its write-back is left as it is.
TEST_P(FaultSweep, AShortReadIsTheEndOfThePage) {
  const Scenario& s = GetParam();
  const RunState clean = run(s);
  const CallMap map = map_calls(clean.calls);
  for (std::size_t i = 0; i < clean.calls.size(); ++i) {
    const Call& c = clean.calls[i];
    const std::string& page = map.page_of[i];
    if (c.op != Op::read || page.empty()) continue;
    const std::string what = s.name + ": read #" + std::to_string(c.nth) + " of " + page + " comes back short";
    const std::string half = original(s, "/site/" + page).substr(0, original(s, "/site/" + page).size() / 2);
    const RunState got = run(s, {}, {}, [&](RecordingPlatform& d) {
      d.also_before = [&d, &c, &page, &half](Op op, const std::string&) {
        if (op == Op::read && d.calls(Op::read) == c.nth) {
          d.add_file("/site/" + page, half);
          for (const Page& p : PAGES) {
            if (p.name == page) d.set_links("/site/" + page, p.links);
          }
        }
      };
    });
    Expectation want;
    if (!map.writing[i]) {
      const RunState as_if = run(s, {}, {page});
      want = {as_if.status, as_if.out, as_if.err, as_if.files};
    } else {
      want = expect_write_failure(s, clean, page, half);
    }
    compare(s, got, want, what);
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, FaultSweep, ::testing::ValuesIn(SCENARIOS),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

// The failure points one by one on a small site, with the lines and exit
// status written out in full.
struct NamedFault {
  const char* name;
  std::function<void(MemoryPlatform&)> arrange;
  int status;
  std::string out;
  std::string err;
  bool first_updated;  // first.htm holds the new text afterwards
  bool second_updated;
};

const std::string FIRST = "SPLYCE_BLOCK_nav\nold\nSPLYCE_BLOCK_nav\n";
const std::string SECOND = "<p>SPLYCE_BLOCK_nav SPLYCE_BLOCK_nav</p>";
const std::string FIRST_NEW = "SPLYCE_BLOCK_nav\r\n<a>new</a>\r\nSPLYCE_BLOCK_nav\r\n";
const std::string SECOND_NEW = "<p>SPLYCE_BLOCK_nav\r\n<a>new</a>\r\nSPLYCE_BLOCK_nav</p>";
const std::string BOTH = "splyce: Updated first.htm\nsplyce: Updated second.htm\n";

// Claims a size for one file that the disk does not have, as a size query
// of a huge file would.
class SizeLyingPlatform : public MemoryPlatform {
 public:
  FileInfo inspect(const std::string& path) override {
    FileInfo info = MemoryPlatform::inspect(path);
    if (info.exists && path.find(huge) != std::string::npos) info.size = size;
    return info;
  }
  std::string huge = "-";
  int64_t size = 0;
};

auto nth(Op op, int n, int64_t keep = -1) {
  return [=](MemoryPlatform& d) { d.faults.push_back({op, n, keep}); };
}
auto huge(const std::string& name, int64_t size) {
  return [=](MemoryPlatform& d) {
    auto& lying = static_cast<SizeLyingPlatform&>(d);
    lying.huge = name;
    lying.size = size;
  };
}
// Changes the disk at the write-back of second.htm: the second size query of it.
auto at_write_back(std::function<void(MemoryPlatform&)> change) {
  return [=](MemoryPlatform& d) {
    d.before = [&d, change](Op op, const std::string& path) {
      if (op == Op::inspect && path.find("second.htm") != std::string::npos && d.calls(op, path) == 2) change(d);
    };
  };
}

const std::string WRITE_ERROR = "splyce: Error writing file second.htm\n";
const std::string FIRST_ONLY = "splyce: Updated first.htm\n";

const std::vector<NamedFault> NAMED_FAULTS = {
    {"source_size_query", nth(Op::inspect, 1), 1, "", NO_SOURCE, false, false},
    {"source_too_large", huge("menu.txt", INT32_MAX), 1, "", "splyce: File size too large.\n", false, false},
    {"source_of_2GiB", huge("menu.txt", int64_t{1} << 31), 1, "", "splyce: File size too large.\n", false, false},
    {"source_open", nth(Op::open_for_reading, 1), 1, "", NO_SOURCE, false, false},
    {"source_read", nth(Op::read, 1), 1, "", NO_SOURCE, false, false},
    {"source_read_nothing", nth(Op::read, 1, 0), 1, "", NO_SOURCE, false, false},
    {"page_size_query", nth(Op::inspect, 2), 0, "splyce: Updated second.htm\n", "splyce: Cannot access file first.htm\n",
     false, true},
    {"page_of_2GiB", huge("first.htm", int64_t{1} << 31), 0, "splyce: Updated second.htm\n",
     "splyce: Cannot access file first.htm\n", false, true},
    {"page_allocation", huge("first.htm", INT32_MAX - 5), 0, "splyce: Updated second.htm\n",
     "splyce: File too large: first.htm\n", false, true},
    {"page_open", nth(Op::open_for_reading, 2), 0, "splyce: Updated second.htm\n", "splyce: Cannot open first.htm\n",
     false, true},
    {"page_read", nth(Op::read, 2), 0, "splyce: Updated second.htm\n", "splyce: Cannot read first.htm\n", false, true},
    {"page_read_nothing", nth(Op::read, 2, 0), 0, "splyce: Updated second.htm\n", "splyce: Cannot read first.htm\n",
     false, true},
    {"page_close_after_load", nth(Op::close, 2), 0, BOTH, "", true, true},
    {"write_size_query", nth(Op::inspect, 5), 1, FIRST_ONLY, WRITE_ERROR, true, false},
    {"new_file_refused", nth(Op::create_replacement, 2), 0, BOTH, "", true, true},
    {"write_at_start", nth(Op::write, 2, 0), 1, FIRST_ONLY, WRITE_ERROR, true, false},
    {"write_half_way", nth(Op::write, 2, static_cast<int64_t>(SECOND_NEW.size() / 2)), 1, FIRST_ONLY, WRITE_ERROR, true, false},
    {"write_at_end", nth(Op::write, 2, static_cast<int64_t>(SECOND_NEW.size() - 1)), 1, FIRST_ONLY, WRITE_ERROR, true, false},
    {"close_after_write", nth(Op::close, 5), 1, FIRST_ONLY, WRITE_ERROR, true, false},
    {"rename", nth(Op::commit_replacement, 2), 1, FIRST_ONLY, WRITE_ERROR, true, false},
    {"made_read_only", at_write_back([](MemoryPlatform& d) { d.add_file("second.htm", SECOND, true); }), 1,
     FIRST_ONLY, WRITE_ERROR, true, false},
    {"vanished", at_write_back([](MemoryPlatform& d) { d.remove("second.htm"); }), 1, FIRST_ONLY, WRITE_ERROR, true,
     false},
    {"vanished_before_rename",
     [](MemoryPlatform& d) {
       d.before = [&d](Op op, const std::string&) {
         if (op == Op::commit_replacement && d.calls(op) == 2) d.remove("second.htm");
       };
     },
     1, FIRST_ONLY, WRITE_ERROR, true, false},
};

class NamedFaults : public ::testing::TestWithParam<NamedFault> {};

TEST_P(NamedFaults, GiveTheirLinesAndKeepEveryPage) {
  const NamedFault& f = GetParam();
  SizeLyingPlatform disk;
  disk.add_file("menu.txt", "SPLYCE_BLOCK_nav\n<a>new</a>\nSPLYCE_BLOCK_nav");
  disk.add_file("first.htm", FIRST);
  disk.add_file("second.htm", SECOND);
  f.arrange(disk);
  const int status = run_splyce(disk, {"menu.txt", "first.htm", "second.htm"});
  ++tally.faults;
  EXPECT_EQ(status, f.status);
  EXPECT_EQ(disk.out, f.out);
  EXPECT_EQ(disk.err, f.err);
  EXPECT_EQ(disk.file("first.htm"), f.first_updated ? FIRST_NEW : FIRST);
  tally.pages_compared += 2;
  if (std::string(f.name).rfind("vanished", 0) == 0) {
    EXPECT_FALSE(disk.has_file("second.htm")) << "a vanished page is never made again";
  } else {
    EXPECT_EQ(disk.file("second.htm"), f.second_updated ? SECOND_NEW : SECOND);
  }
  for (const std::string& name : disk.all_files()) EXPECT_EQ(name.find(".splyce-"), std::string::npos) << name;
}

INSTANTIATE_TEST_SUITE_P(Points, NamedFaults, ::testing::ValuesIn(NAMED_FAULTS),
                         [](const ::testing::TestParamInfo<NamedFault>& info) { return info.param.name; });

// A page rewritten in place (it has a second hard link) whose write fails
// gets its old bytes back; only when putting them back fails too is the
// page lost, which no single fault can bring about.
TEST(InPlaceFaults, AFailedWriteIsUndoneAndOnlyASecondFaultLosesThePage) {
  for (const int64_t keep : {int64_t{-1}, int64_t{0}, int64_t{20}}) {
    MemoryPlatform disk;
    disk.add_file("menu.txt", "SPLYCE_BLOCK_nav\n<a>new</a>\nSPLYCE_BLOCK_nav");
    disk.add_file("page.htm", FIRST);
    disk.set_links("page.htm", 2);
    disk.faults.push_back({Op::write, 1, keep});
    EXPECT_EQ(run_splyce(disk, {"menu.txt", "page.htm"}), 1);
    EXPECT_EQ(disk.err, "splyce: Error writing file page.htm\n");
    EXPECT_EQ(disk.file("page.htm"), FIRST) << "keep " << keep;
  }
  MemoryPlatform disk;
  disk.add_file("menu.txt", "SPLYCE_BLOCK_nav\n<a>new</a>\nSPLYCE_BLOCK_nav");
  disk.add_file("page.htm", FIRST);
  disk.set_links("page.htm", 2);
  disk.faults = {{Op::write, 1, 20}, {Op::write, 2, -1}};
  EXPECT_EQ(run_splyce(disk, {"menu.txt", "page.htm"}), 1);
  EXPECT_EQ(disk.err, "splyce: Error writing file page.htm\n");
  EXPECT_NE(disk.file("page.htm"), FIRST) << "two faults in a row defeat an in-place rewrite";
}

class Figures : public ::testing::Environment {
 public:
  void TearDown() override {
    std::printf("fault injection: %d faults injected, %d pages compared, %d pages lost\n", tally.faults,
                tally.pages_compared, tally.pages_lost);
  }
};
const auto* const figures = ::testing::AddGlobalTestEnvironment(new Figures);

}  // namespace
}  // namespace splyce
