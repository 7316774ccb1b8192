#include "marks/section_table.h"

#include <gtest/gtest.h>

#include <string>

#include "support/recording_console.h"

namespace splyce {
namespace {

using testing::ConsoleFixture;

const std::string UNABLE = "splyce: Unable to store the position of this mark.\n";

class SectionTableTest : public ::testing::Test {
 protected:
  ConsoleFixture io{true};
  SectionTable table{io.console};

  // Stores "M<id>content M<id>" style sections: positions inside `text`.
  StoreResult store_pair(const std::string& text, std::size_t start_id, std::size_t end_mark, std::size_t end_id) {
    const char* t = text.c_str();
    return table.store_section(t + start_id, t + end_id, nullptr, t + end_mark);
  }
};

TEST_F(SectionTableTest, StoresAPairAndFindsIt) {
  const std::string text = "M_a hello M_a";
  const StoreResult r = store_pair(text, 1, 10, 11);
  EXPECT_EQ(r.status, StoreStatus::stored);
  EXPECT_EQ(io.platform.out, "splyce: Storing section 0 with id \"_a\" and size 7.\n");
  const char* content = nullptr;
  EXPECT_EQ(table.find_section("_a-x", &content), 7);
  EXPECT_EQ(content, text.c_str() + 3);
  EXPECT_EQ(table.find_section("_b", &content), -1);
  EXPECT_EQ(content, nullptr);
  EXPECT_EQ(table.total_section_size(), 7);
}

TEST_F(SectionTableTest, EmptyTableHasNoSize) { EXPECT_EQ(table.total_section_size(), 0); }

TEST_F(SectionTableTest, RefusesInTheStatedOrder) {
  const std::string text = "M_a x M_b y M_a";
  const char* t = text.c_str();
  // No end id: the id, whatever else is wrong.
  StoreResult r = table.store_section(t + 1, nullptr, nullptr, nullptr);
  EXPECT_EQ(r.status, StoreStatus::refused);
  EXPECT_EQ(r.refused_id, "_a");
  // Content start after content end: "?".
  r = table.store_section(t + 1, t + 7, t + 9, t + 5);
  EXPECT_EQ(r.status, StoreStatus::inconsistent);
  // Different ids: the opening id.
  r = store_pair(text, 1, 6, 7);
  EXPECT_EQ(r.status, StoreStatus::refused);
  EXPECT_EQ(r.refused_id, "_a");
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(io.platform.out, UNABLE);
}

TEST_F(SectionTableTest, RefusesAStoredIdAndKeepsTheFirst) {
  const std::string text = "M_a one M_a M_a two M_a";
  ASSERT_EQ(store_pair(text, 1, 8, 9).status, StoreStatus::stored);
  const StoreResult r = store_pair(text, 13, 20, 21);
  EXPECT_EQ(r.status, StoreStatus::refused);
  EXPECT_EQ(r.refused_id, "_a");
  EXPECT_EQ(table.find_section("_a"), 5);
}

TEST_F(SectionTableTest, FullTableRefusesWithStarButMissingEndComesFirst) {
  std::vector<std::string> ids;
  for (int i = 0; i < MAX_SECTIONS; ++i) ids.push_back(std::string(1, '_').append(std::to_string(i)).append(" "));
  for (const std::string& id : ids) {
    ASSERT_EQ(table.store_section(id.c_str(), id.c_str(), nullptr, id.c_str() + id.size()).status,
              StoreStatus::stored);
  }
  EXPECT_EQ(table.count(), MAX_SECTIONS);
  EXPECT_EQ(table.entry(MAX_SECTIONS - 1).id.data(), std::string("_199"));
  const std::string more = "_more ";
  io.platform.out.clear();
  EXPECT_EQ(table.store_section(more.c_str(), more.c_str(), nullptr, more.c_str() + 6).status,
            StoreStatus::table_full);
  EXPECT_EQ(io.platform.out, UNABLE);
  const StoreResult r = table.store_section(more.c_str(), nullptr, nullptr, nullptr);
  EXPECT_EQ(r.status, StoreStatus::refused);
  EXPECT_EQ(r.refused_id, "_more");
  EXPECT_EQ(table.count(), MAX_SECTIONS);
}

TEST_F(SectionTableTest, IdsEqualInTheirFirst31CharactersAreOneId) {
  const std::string a = std::string(31, 'k') + "XYZ";
  const std::string b = std::string(31, 'k') + "Q";
  const std::string text = a + " body " + b;
  const char* t = text.c_str();
  ASSERT_EQ(table.store_section(t, t + a.size() + 6, nullptr, t + a.size() + 6).status, StoreStatus::stored);
  EXPECT_EQ(table.entry(0).id.data(), std::string(31, 'k'));
  // The three extra characters of the opening run belong to the content.
  EXPECT_EQ(table.entry(0).length, 9);
  EXPECT_EQ(table.find_section(b.c_str()), 9);
}

TEST_F(SectionTableTest, SectionWithoutIdUsesTheEmptyIdOnce) {
  const std::string text = "letters follow";
  const char* t = text.c_str();
  ASSERT_EQ(table.store_section(t, t + 7, t, t + 7).status, StoreStatus::stored);
  EXPECT_EQ(table.entry(0).id.data(), std::string());
  EXPECT_EQ(table.find_section(""), 7);
  const StoreResult r = table.store_section(t, t + 7, t, t + 7);
  EXPECT_EQ(r.status, StoreStatus::refused);
  EXPECT_EQ(r.refused_id, "");
}

TEST_F(SectionTableTest, ClosingMarkInsideTheStartIdIsInconsistent) {
  // With the mark "a", a run of a's is both marks and ids: the closing mark is
  // found inside the opening id.
  const std::string run(40, 'a');
  const char* t = run.c_str();
  StoreResult r = table.store_section(t + 1, t + 2, nullptr, t + 1);
  EXPECT_EQ(r.status, StoreStatus::inconsistent) << "equal ids, negative length";
  const std::string text = "aab";
  r = table.store_section(text.c_str() + 1, text.c_str() + 2, nullptr, text.c_str() + 1);
  EXPECT_EQ(r.status, StoreStatus::refused) << "different ids are judged first";
  EXPECT_EQ(r.refused_id, "ab");
  EXPECT_EQ(table.count(), 0);
}

TEST_F(SectionTableTest, ZeroLengthSectionIsFound) {
  const std::string text = "-x-x";
  const char* t = text.c_str();
  ASSERT_EQ(table.store_section(t + 1, t + 3, nullptr, t + 2).status, StoreStatus::stored);
  EXPECT_EQ(table.find_section("x"), 0);
}

}  // namespace
}  // namespace splyce
