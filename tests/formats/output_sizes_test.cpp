#include <gtest/gtest.h>

#include <cstdint>

#include "formats/pushpin_reader.h"
#include "overlay/output_sizes.h"
#include "overlay/spatial_index.h"

namespace qh {
namespace {

// A header's count is taken only as far as the file can hold that many pins: a file
// that ends early is told as such, not refused for the outputs it would make.
TEST(OutputSizes, PinsHeldAreTheCountAsFarAsTheFileReaches) {
  EXPECT_EQ(PinsHeld(10, 32 + 10 * 32), 10u);
  EXPECT_EQ(PinsHeld(10, 32 + 10 * 32 - 1), 9u);
  EXPECT_EQ(PinsHeld(10, 32 + 10 * 800), 10u);
  EXPECT_EQ(PinsHeld(2000000000, 32 + 3 * 32), 3u);
  EXPECT_EQ(PinsHeld(0, 1000), 0u);
  EXPECT_EQ(PinsHeld(-5, 1000), 0u);
  EXPECT_EQ(PinsHeld(5, 10), 0u);  // shorter than its header
}

// Every pin a line of at least 26 bytes (two columns, commas, quotes, CR LF) and a POI
// of at least 14 under one skipper; the index's files, once it spills, as large as the
// overlay again. The format's limit falls between 153391687 and 153391688 pins.
TEST(OutputSizes, LeastBytesOfEachOutput) {
  const std::uint64_t unlimited = 0, ample = std::uint64_t{1} << 40;
  OutputBytes b = LeastOutputBytes(1000, true, true, ample);
  EXPECT_EQ(b.asc, 26000u);
  EXPECT_EQ(b.overlay, 14000u + 21u);
  EXPECT_EQ(b.spill, 0u);
  EXPECT_EQ(b.Disk(), 26000u + 14021u);
  b = LeastOutputBytes(1000, true, false, ample);  // flat: no skipper
  EXPECT_EQ(b.overlay, 14000u);
  b = LeastOutputBytes(1000, false, true, ample);  // the .asc file alone
  EXPECT_EQ(b.overlay, 0u);
  EXPECT_EQ(b.Disk(), 26000u);
  EXPECT_EQ(LeastOutputBytes(0, true, true, ample).Disk(), 0u);

  const std::uint64_t budget = SpatialIndex::MemoryFor(1000, 0);
  EXPECT_EQ(LeastOutputBytes(1000, true, true, budget).spill, 0u);
  EXPECT_EQ(LeastOutputBytes(1001, true, true, budget).spill, 1001u * 14 + 21);
  EXPECT_EQ(LeastOutputBytes(1001, true, true, unlimited).spill, 0u);
  EXPECT_EQ(LeastOutputBytes(1001, true, false, budget).spill, 0u);  // flat needs no index

  EXPECT_LE(LeastOutputBytes(153391687, true, true, ample).overlay, kOv2MostBytes);
  EXPECT_GT(LeastOutputBytes(153391688, true, true, ample).overlay, kOv2MostBytes);
}

}  // namespace
}  // namespace qh
