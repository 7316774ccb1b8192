#include "marks/mark_text.h"

#include <gtest/gtest.h>

#include <string>

namespace splyce {
namespace {

// A loaded text: the bytes followed by the NUL that every buffer carries.
struct Loaded {
  std::string bytes;
  explicit Loaded(std::string text) : bytes(std::move(text)) {}
  const char* start() const { return bytes.c_str(); }
  int64_t length() const { return static_cast<int64_t>(bytes.size()); }
};

TEST(CopyBounded, CutsAndTerminates) {
  char dest[8] = "xxxxxxx";
  copy_bounded(dest, "abc", 0);
  EXPECT_STREQ(dest, "xxxxxxx");
  copy_bounded(dest, "abc", 1);
  EXPECT_STREQ(dest, "");
  copy_bounded(dest, "abc", 8);
  EXPECT_STREQ(dest, "abc");
  copy_bounded(dest, "abcdefghij", 4);
  EXPECT_STREQ(dest, "abc");
}

TEST(FindInBuffer, SearchesEveryNulFreeStretch) {
  const Loaded text(std::string("\0ab\0MARK\0", 9));
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", text.length()), text.start() + 4);
  const Loaded split(std::string("xMA\0RKy", 7));
  EXPECT_EQ(find_in_buffer(split.start(), "MARK", split.length()), nullptr);
}

TEST(FindInBuffer, MatchMayEndWithTheRegion) {
  const Loaded text("xxMARK");
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", text.length()), text.start() + 2);
  EXPECT_EQ(find_in_buffer(text.start() + 3, "MARK", text.length() - 3), nullptr);
}

TEST(FindInBuffer, FindsTheLeftmostMatch) {
  const Loaded text("aMARKbMARK");
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", text.length()), text.start() + 1);
  EXPECT_EQ(find_in_buffer(text.start() + 2, "MARK", text.length() - 2), text.start() + 6);
}

TEST(FindInBuffer, RefusesRegionsThatDoNotEndAtTheNul) {
  const Loaded text("MARK and more");
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", 0), nullptr);
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", -1), nullptr);
  EXPECT_EQ(find_in_buffer(nullptr, "MARK", 4), nullptr);
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", 5), nullptr) << "byte at start + length is not the NUL";
}

TEST(FindInBuffer, LastByteNulEndsTheSearch) {
  const Loaded text(std::string("ab\0", 3));
  EXPECT_EQ(find_in_buffer(text.start(), "MARK", text.length()), nullptr);
}

TEST(IdLength, CountsIdCharactersUpToThirtyOne) {
  struct Case {
    std::string text;
    int32_t length;
  };
  const Case cases[] = {
      {"abcd-x", 4}, {"_ x", 1}, {std::string(40, 'a'), 31}, {std::string(1, '\0'), 0},
      {" a", 0},     {"-a", 0},  {"\xE9" "a", 0},              {"A9_z\xC3", 4},
  };
  for (const Case& c : cases) EXPECT_EQ(id_length(c.text.c_str()), c.length) << c.text;
}

TEST(IdsEqual, ComparesOnlyTheIds) {
  EXPECT_TRUE(ids_equal("abc-", "abc "));
  EXPECT_TRUE(ids_equal("-", " "));
  EXPECT_FALSE(ids_equal("ab", "abc"));
  EXPECT_FALSE(ids_equal("abc", "ABC"));
  EXPECT_FALSE(ids_equal(nullptr, "abc"));
  EXPECT_FALSE(ids_equal("abc", nullptr));
  const std::string a = std::string(31, 'x') + "AAA";
  const std::string b = std::string(31, 'x') + "BBB";
  EXPECT_TRUE(ids_equal(a.c_str(), b.c_str())) << "only the first 31 characters form the id";
}

TEST(IdForDisplay, ShowsTheIdAlone) {
  EXPECT_EQ(id_for_display(nullptr), "");
  EXPECT_EQ(id_for_display("_nav -->"), "_nav");
  EXPECT_EQ(id_for_display(std::string(40, 'q').c_str()), std::string(31, 'q'));
}

}  // namespace
}  // namespace splyce
