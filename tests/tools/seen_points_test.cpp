#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <tuple>

#include "tools/ov2/seen_points.h"

namespace qh::ov2 {
namespace {

// Against a set of whole keys, through many growths of the table: keys that differ
// only in one coordinate, in the text's length or in bytes past a NUL are different
// points; every repeat is found, however far the table has grown since.
// With a hash that makes most keys meet, only the keys themselves tell points apart.
void CheckAgainstASet(SeenPoints& seen, int inserts, std::size_t atLeast) {
  std::set<std::tuple<std::int32_t, std::int32_t, std::string>> reference;
  std::mt19937 random(7);
  const std::string texts[] = {"", "a", std::string("a\0b", 3), std::string("a\0c", 3), "ab",
                               "Nashville", std::string(300, 'x')};
  for (int i = 0; i < inserts; ++i) {
    const auto longitude = static_cast<std::int32_t>(random() % 300) - 150;
    const auto latitude = static_cast<std::int32_t>(random() % 300) - 150;
    const std::string& text = texts[random() % std::size(texts)];
    const bool isNew = reference.emplace(longitude, latitude, text).second;
    ASSERT_EQ(seen.Insert(longitude, latitude, text), isNew)
        << i << ": " << longitude << "," << latitude << " '" << text << "'";
  }
  EXPECT_GE(reference.size(), atLeast);  // the table grew many times
}

TEST(SeenPoints, TellsEveryRepeatAndNothingElse) {
  SeenPoints seen;
  CheckAgainstASet(seen, 200000, 100000);
  SeenPoints crowded([](std::string_view key) { return std::uint64_t{key.size()} * 0x9E3779B97F4A7C15u; });
  CheckAgainstASet(crowded, 6000, 5000);
}

}  // namespace
}  // namespace qh::ov2
