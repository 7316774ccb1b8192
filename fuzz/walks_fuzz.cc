// The source walk and the destination walk on arbitrary texts, marks and
// flags, through the in-memory platform. The one-pass destination walk must
// match the plain in-place model byte for byte, result for result and line
// for line; the write-back, with or without one injected fault, must leave
// the page either whole and old or whole and new.
#include <cstring>
#include <string>

#include "dest/section_replacement.h"
#include "fileio/text_file.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/in_place_model.h"
#include "source/source_extraction.h"
#include "support/memory_platform.h"

namespace splyce::fuzz {
namespace {

using testing::MemoryPlatform;
using testing::Op;

// A few marks worth meeting often, including ones made of id characters,
// whose closing id can hold the mark itself.
const char* const KNOWN_MARKS[] = {"SPLYCE_BLOCK", "<!--M-->", "#", "ab", "_x", "a", "[[", "]]", "\n"};

std::string pick_mark(FuzzInput& in) {
  const uint8_t b = in.byte();
  constexpr std::size_t known = sizeof KNOWN_MARKS / sizeof KNOWN_MARKS[0];
  if (b < 200) return KNOWN_MARKS[b % known];
  std::string mark;
  for (int i = 0, n = 1 + (b & 7); i < n; ++i) {
    const char c = static_cast<char>(in.byte());
    mark += c == '\0' ? '_' : c;  // a command-line argument holds no NUL
  }
  return mark;
}

bool same_buffer(const TextBuffer& a, const TextBuffer& b) {
  return a.length() == b.length() && a.capacity() == b.capacity() &&
         std::memcmp(a.bytes(), b.bytes(), static_cast<std::size_t>(a.length()) + 1) == 0;
}

void copy_buffer(const TextBuffer& from, TextBuffer& to) {
  check(to.allocate(from.capacity()), "allocation");
  std::memcpy(to.bytes(), from.bytes(), static_cast<std::size_t>(from.length()) + 1);
  to.set_length(from.length());
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void run_one(FuzzInput& in) {
  const uint8_t flags = in.byte();
  const bool verbose = flags & 1;
  const bool two_marks = flags & 2;
  const bool border_marks = (flags & 4) && !two_marks;
  const bool small_room = flags & 8;
  const bool test_mode = flags & 16;
  const bool linked = flags & 32;
  const bool inject = flags & 64;
  const uint8_t room = in.byte();

  Options options;
  options.need_border_marks = border_marks;
  options.test_mode = test_mode;
  if (two_marks) {
    options.start_mark = pick_mark(in);
    options.end_mark = pick_mark(in);
  } else {
    options.shared_mark = pick_mark(in);
  }
  MemoryPlatform::Fault fault{static_cast<Op>(in.byte() % 11), 1 + in.byte() % 4, -1};
  const uint8_t keep = in.byte();
  fault.keep = keep >= 128 ? -1 : keep * 3;
  const std::string source_bytes = in.chunk(2048);
  const std::string page_bytes = in.rest();

  // The source, loaded and walked as a run does it.
  MemoryPlatform disk;
  Console console(disk);
  if (verbose) console.set_verbose();
  disk.add_file("/site/menu.txt", source_bytes);
  disk.add_file("/site/page.htm", page_bytes);
  TextBuffer source;
  if (load_text_file(disk, "/site/menu.txt", 0, source) != LoadStatus::loaded) return;
  SectionTable table(console);
  const Outcome walked = walk_source(options, console, source, table);
  if (walked != OUTCOME_SUCCESS) {
    check(walked == OUTCOME_REPORTED, "source walk outcome");
    check(ends_with(disk.err, "splyce: Too many sections in source file.\n") ||
              ends_with(disk.err, "splyce: Unknown error.\n") ||
              (disk.err.rfind("splyce: Mark \"", 0) == 0 && ends_with(disk.err, "\" in source file not in pairs.\n")),
          "source walk message");
    return;
  }
  check(disk.err.empty(), "source walk printed an error but went on");

  // The page, with the room a run gives it, or with little room so that it grows.
  const int32_t total = table.total_section_size();
  TextBuffer loaded;
  if (load_text_file(disk, "/site/page.htm", small_room ? room : total, loaded) != LoadStatus::loaded) return;

  MemoryPlatform fast_platform;
  MemoryPlatform model_platform;
  Console fast_console(fast_platform);
  Console model_console(model_platform);
  if (verbose) {
    fast_console.set_verbose();
    model_console.set_verbose();
  }
  TextBuffer fast;
  TextBuffer model;
  copy_buffer(loaded, fast);
  copy_buffer(loaded, model);
  const std::string path = "./page.htm";
  const UpdateResult fast_result = replace_sections(options, fast_console, table, fast, path);
  const UpdateResult model_result = fuzz::replace_sections_in_place(options, model_console, table, model, path);
  check(fast_result == model_result, "UpdateResult differs from the in-place walk");
  check(fast_platform.out == model_platform.out, "standard output differs from the in-place walk");
  check(fast_platform.err == model_platform.err, "standard error differs from the in-place walk");
  check(same_buffer(fast, model), "text differs from the in-place walk");
  if (fast_result != UpdateResult::changed) check(same_buffer(fast, loaded), "an unchanged text was touched");

  // The write-back of the same page, on a disk of its own.
  MemoryPlatform page_disk;
  Console page_console(page_disk);
  page_disk.add_file("page.htm", page_bytes);
  if (linked) page_disk.set_links("page.htm", 2);
  if (inject) page_disk.faults.push_back(fault);
  TextBuffer text;
  copy_buffer(loaded, text);
  bool any_file_changed = false;
  const bool went_on = update_destination(options, page_console, table, text, "page.htm", any_file_changed);
  check(any_file_changed == (fast_result == UpdateResult::changed), "any_file_changed");
  const std::string new_bytes = with_crlf(std::string(model.bytes(), static_cast<std::size_t>(model.length())));
  const std::string& on_disk = page_disk.file("page.htm");
  if (went_on) {
    const bool written = fast_result == UpdateResult::changed && !test_mode;
    check(on_disk == (written ? new_bytes : page_bytes), "page after a successful write-back");
    check(page_disk.err.empty(), "error line after a successful write-back");
  } else {
    check(inject && fast_result == UpdateResult::changed && !test_mode, "write-back failed without a fault");
    check(on_disk == page_bytes, "page not whole after a failed write-back");
    check(page_disk.err == "splyce: Error writing file page.htm\n", "write error line");
  }
  check(page_disk.all_files().size() == 1, "a file was left beside the page");
}

}  // namespace
}  // namespace splyce::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  splyce::fuzz::FuzzInput in(data, size);
  splyce::fuzz::run_one(in);
  return 0;
}
