// The real binary against a real disk at its limits: a full file system, a
// kill in the middle of rewriting a very large page, files too large to load,
// a page with a million marks, and pages of binary bytes.
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "e2e/site_fixture.h"

namespace splyce::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Under AddressSanitizer every mark search checks the whole rest of the page
// first, so a sanitized run on the largest pages would take minutes; it gets
// a tenth of the load, the plain build the full one.
constexpr int SCALE = SPLYCE_SANITIZED ? 10 : 1;

const std::string M = "SPLYCE_BLOCK";
const std::string NOTHING = "splyce: No file has been changed.\n";

std::string crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Starts the program in `dir` with its output thrown away; `limit_memory`
// caps its address space, so that a large allocation fails.
pid_t start(const std::string& dir, const std::vector<std::string>& args, rlim_t limit_memory = 0) {
  std::vector<std::string> words{Target::get().binary};
  if (!Target::get().runner.empty()) words.insert(words.begin(), Target::get().runner);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (chdir(dir.c_str()) != 0 || null < 0) _exit(127);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (limit_memory != 0) {
      const rlimit limit{limit_memory, limit_memory};
      setrlimit(RLIMIT_AS, &limit);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

class RealDiskTest : public SiteTest {
 protected:
  // The whole file in one read: large pages make a byte-wise read too slow.
  std::string slurp(const std::string& name) const {
    std::string bytes(fs::file_size(path(name)), '\0');
    std::FILE* f = std::fopen(path(name).c_str(), "rb");
    if (f == nullptr) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    return bytes;
  }
  std::vector<std::string> temporaries() const {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
      if (e.path().filename().string().rfind(".splyce-", 0) == 0) found.push_back(e.path().string());
    }
    return found;
  }
};

// --- A full file system -----------------------------------------------------

class FullDiskTest : public RealDiskTest {
 protected:
  void SetUp() override {
    RealDiskTest::SetUp();
    mounted = path("small");
    fs::create_directory(mounted);
    if (mount("tmpfs", mounted.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
      const int error = errno;
      mounted.clear();
      GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(error)
                   << "); the full file system is not tried";
    }
  }
  void TearDown() override {
    if (!mounted.empty()) umount2(mounted.c_str(), MNT_DETACH);
    RealDiskTest::TearDown();
  }
  // Takes every free block, so that no file there can grow.
  void fill_up() {
    std::ofstream filler(path("small/filler"), std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
      filler.flush();
    }
    filler.close();
    // A stream may keep its last block; make sure the disk is full to the byte.
    const int fd = open(path("small/filler").c_str(), O_WRONLY | O_APPEND);
    while (::write(fd, "f", 1) == 1) {
    }
    close(fd);
  }
  std::string mounted;
};

const std::string OLD_PAGE = M + "_nav old " + M + "_nav\n" + std::string(3000, 'p') + "\n";

TEST_F(FullDiskTest, ANewFileThatCannotBeWrittenLeavesThePageAndNoTrace) {
  write("small/menu.txt", M + "_nav\n" + std::string(6000, 'n') + "\n" + M + "_nav");
  write("small/a.htm", OLD_PAGE);
  write("small/b.htm", OLD_PAGE);
  fill_up();
  const RunResult r = run({"menu.txt", "a.htm", "b.htm"}, "small");
  expect_run(r, "", console("splyce: Error writing file a.htm\n"), 1);
  EXPECT_EQ(read("small/a.htm"), OLD_PAGE);
  EXPECT_EQ(read("small/b.htm"), OLD_PAGE) << "no page after a failed write is taken";
  EXPECT_TRUE(temporaries().empty());
}

TEST_F(FullDiskTest, APageRewrittenInPlaceGetsItsOldBytesBack) {
  write("small/menu.txt", M + "_nav\n" + std::string(6000, 'n') + "\n" + M + "_nav");
  write("small/a.htm", OLD_PAGE);
  ASSERT_EQ(link(path("small/a.htm").c_str(), path("small/a-link.htm").c_str()), 0);
  fill_up();
  const RunResult r = run({"menu.txt", "a.htm"}, "small");
  expect_run(r, "", console("splyce: Error writing file a.htm\n"), 1);
  EXPECT_EQ(read("small/a.htm"), OLD_PAGE);
  EXPECT_EQ(read("small/a-link.htm"), OLD_PAGE);
  EXPECT_TRUE(temporaries().empty());
}

// --- Killed in the middle of a very large page --------------------------------

// A page of about 500 MB (50 MB sanitized) whose one section changes; the run is killed with
// SIGKILL while it reads, builds or writes. The page must hold either its old
// bytes or all of the new ones.
TEST_F(RealDiskTest, AKilledRunLeavesTheLargePageOldOrNew) {
  // Memory-backed when the machine has it: the same renames and kills, without
  // waiting on gigabytes of disk writes.
  struct MemoryFolder {
    std::string& dir;
    std::string kept;
    explicit MemoryFolder(std::string& d) : dir(d), kept(d) {
      // A page and its new copy need about 1.1 GB; a small /dev/shm (as in
      // many containers) is passed over.
      struct statvfs room {};
      if (statvfs("/dev/shm", &room) != 0 || room.f_bavail * room.f_frsize < (uint64_t{3} << 30)) return;
      char name[] = "/dev/shm/splyce-kill-XXXXXX";
      if (mkdtemp(name) != nullptr) dir = name;
    }
    ~MemoryFolder() {
      if (dir != kept) fs::remove_all(dir);
      dir = kept;
    }
  } folder(dir);
  const std::string line = std::string(99, 'x') + "\n";
  const std::string line_written = std::string(99, 'x') + "\r\n";
  constexpr int LINES = 5'000'000 / SCALE;
  std::string old_page = M + "_a old " + M + "_a\n";
  std::string new_page = M + "_a new text " + M + "_a\r\n";
  old_page.reserve(old_page.size() + LINES * line.size());
  new_page.reserve(new_page.size() + LINES * line_written.size());
  for (int i = 0; i < LINES; ++i) {
    old_page += line;
    new_page += line_written;
  }
  write("menu.txt", M + "_a new text " + M + "_a");

  // First a run that is left to finish, to know how long the whole job takes.
  write("big.htm", old_page);
  const Clock::time_point began = Clock::now();
  int status = 0;
  ASSERT_EQ(waitpid(start(dir, {"menu.txt", "big.htm"}), &status, 0) > 0 && WIFEXITED(status), true);
  const auto whole = Clock::now() - began;
  ASSERT_TRUE(slurp("big.htm") == new_page);

  // Then kills at a spread of moments through such a run, and one as soon as
  // the new file has its first bytes.
  int old_seen = 0;
  int new_seen = 0;
  for (const double at : {0.5, -1.0}) {
    write("big.htm", old_page);
    const pid_t pid = start(dir, {"menu.txt", "big.htm"});
    if (at >= 0) {
      std::this_thread::sleep_for(std::chrono::duration_cast<Clock::duration>(whole * at));
    } else {
      const Clock::time_point deadline = Clock::now() + whole * 2;
      while (Clock::now() < deadline) {
        const std::vector<std::string> t = temporaries();
        std::error_code ignored;
        if (!t.empty() && fs::file_size(t.front(), ignored) > 0) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    const std::string now = slurp("big.htm");
    const bool is_old = now == old_page;
    const bool is_new = now == new_page;
    EXPECT_TRUE(is_old || is_new) << "killed at " << at << ": the page is a mix of " << now.size() << " bytes";
    old_seen += is_old;
    new_seen += is_new;
    // A killed run cannot tidy up: its half-written new file stays, under a
    // name that says what it is.
    for (const std::string& t : temporaries()) fs::remove(t);
  }
  RecordProperty("kills_old", old_seen);
  RecordProperty("kills_new", new_seen);
}

// --- Files too large to load ----------------------------------------------------

class SparseTest : public RealDiskTest {
 protected:
  void sparse(const std::string& name, off_t size) const {
    const int fd = open(path(name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
  }
  struct stat info(const std::string& name) const {
    struct stat st {};
    stat(path(name).c_str(), &st);
    return st;
  }
};

constexpr off_t THREE_GIB = off_t{3} << 30;

TEST_F(SparseTest, A3GiBSourceIsRefused) {
  sparse("big.txt", THREE_GIB);
  write("a.htm", M + "_a x " + M + "_a");
  expect_run(run({"big.txt"}), "", console("splyce: File size too large.\n"), 1);
  EXPECT_EQ(read("a.htm"), M + "_a x " + M + "_a");
}

TEST_F(SparseTest, A3GiBPageIsPassedOverUntouched) {
  sparse("big.htm", THREE_GIB);
  write("menu.txt", M + "_a new " + M + "_a");
  write("a.htm", M + "_a old " + M + "_a");
  const struct stat before = info("big.htm");
  expect_run(run({"menu.txt", "big.htm", "a.htm"}), console("splyce: Updated a.htm\n"),
             console("splyce: Cannot access file big.htm\n"), 0);
  const struct stat after = info("big.htm");
  EXPECT_EQ(after.st_size, THREE_GIB);
  EXPECT_EQ(after.st_blocks, 0) << "nothing was written into it";
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

// Memory that cannot be had: a 1 GiB file under a 512 MiB address-space cap.
// A sanitizer's own shadow memory does not fit under such a cap, so this runs
// only against a plain build.
TEST_F(SparseTest, MemoryThatCannotBeHadIsReportedAsTooLarge) {
#if SPLYCE_SANITIZED
  GTEST_SKIP() << "the sanitized binary cannot run under an address-space cap";
#endif
  if (target().windows) GTEST_SKIP() << "wine itself cannot start under an address-space cap";
  sparse("big.htm", off_t{1} << 30);
  sparse("big.txt", off_t{1} << 30);
  write("menu.txt", M + "_a new " + M + "_a");
  write("a.htm", M + "_a old " + M + "_a");
  int status = 0;
  waitpid(start(dir, {"big.txt", "a.htm"}, rlim_t{512} << 20), &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "source: File size too large.";
  EXPECT_EQ(read("a.htm"), M + "_a old " + M + "_a");

  // The lines themselves, through a shell that sets the cap.
  const RunResult r = run_program("/bin/sh", "-c",
                                  {"ulimit -v 524288 && exec \"$0\" menu.txt big.htm a.htm", Target::get().binary},
                                  dir);
  expect_run(r, "splyce: Updated a.htm\n", "splyce: File too large: big.htm\n", 0);
  EXPECT_EQ(info("big.htm").st_blocks, 0);
}

// --- A million marks --------------------------------------------------------------

// A million marks (a hundred thousand sanitized), all in pairs to replace.
TEST_F(RealDiskTest, AMillionMarksInOnePageTakeLinearTime) {
  write("menu.txt", M + "_a<b>new</b>" + M + "_a");
  std::string page;
  std::string expected;
  for (int i = 0; i < 500'000 / SCALE; ++i) {
    page += M + "_a old " + M + "_a\n";
    expected += M + "_a<b>new</b>" + M + "_a\r\n";
  }
  write("page.htm", page);
  const Clock::time_point began = Clock::now();
  expect_run(run({"menu.txt", "page.htm"}), console("splyce: Updated page.htm\n"), "", 0);
  if (!SPLYCE_SANITIZED) {
    EXPECT_LT(Clock::now() - began, std::chrono::seconds(10));
  }
  EXPECT_TRUE(slurp("page.htm") == expected) << "the rewritten page differs";
}

// --- Binary bytes -------------------------------------------------------------------

struct BinaryCase {
  const char* name;
  std::string source;
  std::string page;
  std::string out;
  std::string after;  // the page on disk afterwards
};

using namespace std::string_literals;

const std::vector<BinaryCase> BINARY_CASES = {
    // NUL bytes are text like any other; CR goes, and 0x1A ends the text.
    {"nul_and_end_of_text", M + "_a\0new\0"s + M + "_a", "\0"s + M + "_a\0old\0"s + M + "_a\0tail\r\n\x1a after"s,
     "splyce: Updated page.htm\n", "\0"s + M + "_a\0new\0"s + M + "_a\0tail\r\n"s},
    // A mark cut by a NUL is no mark.
    {"mark_cut_by_nul", M + "_a new " + M + "_a", "SPLYCE_\0BLOCK_a old SPLYCE_\0BLOCK_a"s, NOTHING,
     "SPLYCE_\0BLOCK_a old SPLYCE_\0BLOCK_a"s},
    // A page that needs no change keeps every byte, those after 0x1A too.
    {"identical_keeps_bytes", M + "_a same " + M + "_a", M + "_a same " + M + "_a\r\x1a\0\xff"s,
     "splyce: Identical page.htm\n" + NOTHING, M + "_a same " + M + "_a\r\x1a\0\xff"s},
    // 0x1A before any mark: nothing left to load.
    {"end_of_text_first", M + "_a new " + M + "_a", "\x1a" + M + "_a old " + M + "_a", NOTHING,
     "\x1a" + M + "_a old " + M + "_a"},
};

class BinaryPages : public RealDiskTest, public ::testing::WithParamInterface<BinaryCase> {};

TEST_P(BinaryPages, AreReadAndWrittenByTheTextRules) {
  const BinaryCase& c = GetParam();
  write("menu.txt", c.source);
  write("page.htm", c.page);
  const RunResult r = run({"menu.txt", "page.htm"});
  const std::string err = std::string(c.name) == "end_of_text_first" ? "splyce: Cannot read page.htm\n" : "";
  expect_run(r, console(c.out), console(err), 0);
  EXPECT_EQ(read("page.htm"), c.after);
  EXPECT_TRUE(temporaries().empty());
}

INSTANTIATE_TEST_SUITE_P(Bytes, BinaryPages, ::testing::ValuesIn(BINARY_CASES),
                         [](const ::testing::TestParamInfo<BinaryCase>& info) { return info.param.name; });

// Every byte value around a pair of marks: the section is replaced, CRs and
// everything from the first 0x1A on are gone, every LF becomes CR LF.
TEST_F(RealDiskTest, EveryByteValueSurvivesARewrite) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    if (b != 0x1A) all += static_cast<char>(b);
  }
  write("menu.txt", M + "_a new " + M + "_a");
  write("page.htm", all + M + "_a old " + M + "_a" + all + "\x1a" + all);
  expect_run(run({"menu.txt", "page.htm"}), console("splyce: Updated page.htm\n"), "", 0);
  std::string loaded_all;
  for (char c : all) {
    if (c != '\r') loaded_all += c;
  }
  EXPECT_EQ(read("page.htm"), crlf(loaded_all + M + "_a new " + M + "_a" + loaded_all));
}

}  // namespace
}  // namespace splyce::e2e
