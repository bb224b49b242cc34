#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "overlay/overlay_builder.h"
#include "overlay/spatial_index.h"
#include "tests/formats/ov2_check.h"
#include "tests/support/faulty_file_calls.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

std::string WriteIndex(SpatialIndex& index) {
  std::string bytes;
  Ov2Writer writer([&](std::string_view b) { bytes.append(b); return true; }, 4096);
  EXPECT_TRUE(index.Write(writer));
  EXPECT_TRUE(writer.Finish());
  return bytes;
}

// Adds the points to an index, writes it, and checks the file the way a device
// would read it: valid structure, every point exactly once, blocks kept small.
void CheckRoundTrip(const std::vector<test::DecodedPoi>& points, const char* what) {
  SpatialIndex index;
  for (const auto& p : points) ASSERT_TRUE(index.Add(p.longitude, p.latitude, p.name));
  const std::uint64_t predicted = index.OverlaySize();
  const std::string bytes = WriteIndex(index);
  EXPECT_EQ(bytes.size(), predicted) << what;
  const test::Ov2Contents c = test::DecodeOv2(bytes);
  ASSERT_TRUE(c.faults.empty()) << what << ":\n" << test::JoinFaults(c);
  std::vector<test::DecodedPoi> expected = points, actual = c.pois;
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  ASSERT_EQ(actual.size(), expected.size()) << what;
  EXPECT_TRUE(actual == expected) << what << ": the points read back differ";
  EXPECT_LE(c.largest_spread_block, SpatialIndex::kLeafPoints) << what;
  if (!points.empty()) {
    EXPECT_GE(c.skippers, 1u) << what;
  }
  // Writing again gives the same bytes.
  EXPECT_EQ(WriteIndex(index), bytes) << what;
}

TEST(SpatialIndex, RandomPointsComeBackOnceEachInsideTheirBoxes) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::int32_t> lon(-18000000, 18000000), lat(-9000000, 9000000);
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 5000; ++i) points.push_back({lon(random), lat(random), "p" + std::to_string(i)});
  CheckRoundTrip(points, "random");
}

TEST(SpatialIndex, TenThousandPointsAtOnePositionEndAndStayValid) {
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 10000; ++i) points.push_back({-8678190, 3616270, "same " + std::to_string(i)});
  CheckRoundTrip(points, "one position");
}

TEST(SpatialIndex, ClustersLinesAndDuplicatesMixed) {
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 3000; ++i) points.push_back({100, 200, "stack " + std::to_string(i)});
  for (int i = 0; i < 500; ++i) points.push_back({i * 3, 7, "row " + std::to_string(i)});
  for (int i = 0; i < 500; ++i) points.push_back({-5, -i, "column " + std::to_string(i)});
  // Neighbours one unit apart: the narrowest box that still splits.
  for (int i = 0; i < 100; ++i) points.push_back({i % 2, 0, "pair " + std::to_string(i)});
  points.push_back({-2147483647 - 1, 2147483647, "corner"});
  points.push_back({2147483647, -2147483647 - 1, "other corner"});
  CheckRoundTrip(points, "mixed");
}

TEST(SpatialIndex, SmallCasesAndNamesOfEveryLength) {
  CheckRoundTrip({}, "empty");
  CheckRoundTrip({{1, 2, ""}}, "one point");
  std::vector<test::DecodedPoi> twenty, twentyOne;
  for (int i = 0; i < 21; ++i) {
    test::DecodedPoi p{i, -i, std::string(static_cast<std::size_t>(i), 'x')};
    if (i < 20) twenty.push_back(p);
    twentyOne.push_back(p);
  }
  CheckRoundTrip(twenty, "twenty");
  CheckRoundTrip(twentyOne, "twenty-one");
  // Each side of the longest name whose length one byte holds.
  std::vector<test::DecodedPoi> longNames;
  for (const std::size_t length : {254u, 255u, 256u, 70000u, 3u}) {
    for (int i = 0; i < 10; ++i) {
      longNames.push_back({i * 7, static_cast<std::int32_t>(length) % 101 - i,
                            std::string(length, static_cast<char>('a' + i))});
    }
  }
  CheckRoundTrip(longNames, "long names");
}

TEST(SpatialIndex, SkipperBoxesAreTheTightBoundsOfTheirPoints) {
  SpatialIndex index;
  ASSERT_TRUE(index.Add(-5, 10, "a"));
  ASSERT_TRUE(index.Add(7, -3, "b"));
  ASSERT_TRUE(index.Add(2, 4, "c"));
  const std::string bytes = WriteIndex(index);
  ASSERT_EQ(bytes.size(), kOv2SkipperSize + 3 * Ov2PoiSize(1));
  EXPECT_EQ(bytes[0], '\x01');
  EXPECT_EQ(test::ReadLe32(bytes, 1), static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(test::ReadLe32(bytes, 5), 7);    // east
  EXPECT_EQ(test::ReadLe32(bytes, 9), 10);   // north
  EXPECT_EQ(test::ReadLe32(bytes, 13), -5);  // west
  EXPECT_EQ(test::ReadLe32(bytes, 17), -3);  // south
}

// Splits at the median: with distinct positions the halves of every split differ by
// at most one point, so all blocks hold the same number of points give or take one,
// and no block could have been joined with its neighbour.
TEST(SpatialIndex, MedianSplitsGiveFullBlocks) {
  std::mt19937 random(777);
  std::uniform_int_distribution<std::int32_t> lon(-18000000, 18000000), lat(-9000000, 9000000);
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 3000; ++i) points.push_back({lon(random), lat(random), std::to_string(i)});
  SpatialIndex index;
  for (const auto& p : points) ASSERT_TRUE(index.Add(p.longitude, p.latitude, p.name));
  const std::string bytes = WriteIndex(index);
  // Walk the blocks: a skipper directly followed by POIs heads a block.
  std::size_t pos = 0, smallest = SIZE_MAX, largest = 0;
  while (pos < bytes.size()) {
    const std::size_t length = static_cast<std::size_t>(test::ReadLe32(bytes, pos + 1));
    if (bytes[pos] == '\x01' && bytes[pos + kOv2SkipperSize] == '\x02') {
      std::size_t count = 0;
      for (std::size_t p = pos + kOv2SkipperSize; p < pos + length;
           p += static_cast<std::size_t>(test::ReadLe32(bytes, p + 1))) {
        ++count;
      }
      smallest = std::min(smallest, count);
      largest = std::max(largest, count);
      pos += length;
    } else {
      pos += bytes[pos] == '\x01' ? kOv2SkipperSize : length;
    }
  }
  EXPECT_LE(largest, SpatialIndex::kLeafPoints);
  EXPECT_LE(largest - smallest, 1u) << "smallest block " << smallest << ", largest " << largest;
  EXPECT_GE(2 * smallest + 1, SpatialIndex::kLeafPoints);
}

// Equal coordinates are ordered by input position: a stack of points at one place
// comes out in the order it went in, and the overlay depends on the points alone,
// also when points are added after a first write.
TEST(SpatialIndex, TiesKeepInputOrderAndLaterPointsRebuildAsNew) {
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 30; ++i) points.push_back({500, 600, "stack " + std::to_string(i)});
  for (int i = 0; i < 200; ++i) points.push_back({i % 7, (i * 37) % 11, "grid " + std::to_string(i)});
  SpatialIndex whole;
  for (const auto& p : points) ASSERT_TRUE(whole.Add(p.longitude, p.latitude, p.name));
  const std::string expected = WriteIndex(whole);
  std::vector<std::string> stack;
  for (const auto& poi : test::DecodeOv2(expected).pois) {
    if (poi.name.rfind("stack ", 0) == 0) stack.push_back(poi.name);
  }
  ASSERT_EQ(stack.size(), 30u);
  for (std::size_t i = 0; i < stack.size(); ++i) EXPECT_EQ(stack[i], "stack " + std::to_string(i));

  SpatialIndex in_two_goes;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i == 100) WriteIndex(in_two_goes);  // reorders the first hundred
    ASSERT_TRUE(in_two_goes.Add(points[i].longitude, points[i].latitude, points[i].name));
  }
  EXPECT_EQ(WriteIndex(in_two_goes), expected);
}

TEST(SpatialIndex, SplitsNestBlocksUnderGroupSkippers) {
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 400; ++i) points.push_back({i * 10, (i * 7919) % 400, std::to_string(i)});
  SpatialIndex index;
  for (const auto& p : points) ASSERT_TRUE(index.Add(p.longitude, p.latitude, p.name));
  const test::Ov2Contents c = test::DecodeOv2(WriteIndex(index));
  ASSERT_TRUE(c.faults.empty()) << test::JoinFaults(c);
  // 400 points in blocks of at most 20: at least 20 blocks, and groups above them.
  EXPECT_GE(c.skippers, 39u);
  EXPECT_GE(c.depth, 5);
}

// A large index is split at its top and its halves built and written on two threads:
// the overlay is byte for byte the one a single thread writes, whichever axis the top
// splits, with many points equal to the median, at one position (no split at all) and
// on a line.
TEST(SpatialIndex, TwoThreadsWriteTheBytesOfOne) {
  constexpr int kPoints = static_cast<int>(SpatialIndex::kTwoThreadPoints) * 3 + 7;
  std::mt19937 random(4242);
  std::uniform_int_distribution<std::int32_t> lon(-18000000, 18000000), lat(-9000000, 9000000);
  std::uniform_int_distribution<int> length(0, 40);
  struct Case {
    const char* what;
    std::function<test::DecodedPoi(int)> point;
  };
  const Case cases[] = {
      {"spread over the world",
       [&](int) { return test::DecodedPoi{lon(random), lat(random), ""}; }},
      {"taller than wide",
       [&](int) { return test::DecodedPoi{lon(random) / 1000, lat(random), ""}; }},
      {"a third at the median",
       [&](int i) { return test::DecodedPoi{i % 3 == 0 ? 0 : lon(random), lat(random), ""}; }},
      {"one position", [&](int) { return test::DecodedPoi{-8678190, 3616270, ""}; }},
      {"a line", [&](int i) { return test::DecodedPoi{i % 1000, 5, ""}; }},
  };
  for (const Case& c : cases) {
    SpatialIndex one, two;
    one.UseOneThread(true);
    for (int i = 0; i < kPoints; ++i) {
      test::DecodedPoi p = c.point(i);
      p.name = std::string(static_cast<std::size_t>(length(random)),
                           static_cast<char>('a' + i % 26));
      ASSERT_TRUE(one.Add(p.longitude, p.latitude, p.name));
      ASSERT_TRUE(two.Add(p.longitude, p.latitude, p.name));
    }
    const std::string bytes = WriteIndex(one);
    EXPECT_EQ(two.OverlaySize(), bytes.size()) << c.what;
    EXPECT_TRUE(WriteIndex(two) == bytes) << c.what;
    // And again, from the order the first build left.
    EXPECT_TRUE(WriteIndex(two) == bytes) << c.what << ", written again";
    ASSERT_TRUE(test::DecodeOv2(bytes).faults.empty()) << c.what;
  }
}

// An index beyond its memory budget moves its points to a temporary file and splits
// them there until the parts fit: the overlay is byte for byte the one built in memory,
// with parts of a few thousand points (several levels split on the disk, the parts
// built on two threads or one, medians gathered or counted out when many share a
// range of keys) and with no memory at all (split on the disk down to single blocks),
// and the temporary files are gone once it is.
TEST(SpatialIndex, SpillingToTheDiskWritesTheBytesOfMemory) {
  std::mt19937 random(9191);
  std::uniform_int_distribution<std::int32_t> lon(-18000000, 18000000), lat(-9000000, 9000000);
  std::uniform_int_distribution<int> length(0, 40);
  struct Case {
    const char* what;
    int points;
    std::uint64_t budget;
    std::function<test::DecodedPoi(int)> point;
  };
  constexpr int kMany = static_cast<int>(SpatialIndex::kTwoThreadPoints) * 3 + 7;
  const std::uint64_t kParts = SpatialIndex::MemoryFor(5000, 5000 * 20);
  const Case cases[] = {
      {"spread over the world", kMany, kParts,
       [&](int) { return test::DecodedPoi{lon(random), lat(random), ""}; }},
      {"taller than wide", kMany, kParts,
       [&](int) { return test::DecodedPoi{lon(random) / 1000, lat(random), ""}; }},
      {"a third at the median", kMany, kParts,
       [&](int i) { return test::DecodedPoi{i % 3 == 0 ? 0 : lon(random), lat(random), ""}; }},
      {"one position", kMany, kParts, [&](int) { return test::DecodedPoi{-8678190, 3616270, ""}; }},
      {"a line", kMany, kParts, [&](int i) { return test::DecodedPoi{i % 1000, 5, ""}; }},
      {"a stack beside a spread", 20000, kParts,
       [&](int i) { return i % 2 == 0 ? test::DecodedPoi{7, 7, ""} : test::DecodedPoi{lon(random), lat(random), ""}; }},
      {"no memory", 3000, 1, [&](int) { return test::DecodedPoi{lon(random), lat(random), ""}; }},
      {"no memory, ties", 3000, 1,
       [&](int i) { return test::DecodedPoi{i % 5, i % 3, ""}; }},
  };
  for (const Case& c : cases) {
    const test::TempFolder folder;
    {
      SpatialIndex memory, disk;
      disk.SpillBeyond(c.budget, folder.File("points.ov2"));
      for (int i = 0; i < c.points; ++i) {
        test::DecodedPoi p = c.point(i);
        p.name = std::string(static_cast<std::size_t>(length(random)), static_cast<char>('a' + i % 26));
        ASSERT_TRUE(memory.Add(p.longitude, p.latitude, p.name));
        ASSERT_TRUE(disk.Add(p.longitude, p.latitude, p.name)) << c.what << ": " << disk.Error().reason;
      }
      ASSERT_TRUE(disk.Spilled()) << c.what;
      EXPECT_EQ(disk.Size(), memory.Size()) << c.what;
      const std::string bytes = WriteIndex(memory);
      EXPECT_EQ(disk.OverlaySize(), bytes.size()) << c.what;
      EXPECT_TRUE(WriteIndex(disk) == bytes) << c.what << ": " << disk.Error().reason;
      EXPECT_TRUE(WriteIndex(disk) == bytes) << c.what << ", written again";
      EXPECT_FALSE(disk.Error()) << c.what << ": " << disk.Error().reason;
    }
    EXPECT_EQ(folder.Entries(), 0u) << c.what << ": temporary files stayed";
  }
}

// Names of every length a spill file's records encode (one to three length bytes, and
// records longer than the files' buffers) come back as they went in.
TEST(SpatialIndex, SpilledNamesOfAnyLengthComeBackWhole) {
  const std::size_t lengths[] = {0, 1, 127, 128, 300, 16383, 16384, 70000, 300000};
  const test::TempFolder folder;
  SpatialIndex memory, disk;
  disk.SpillBeyond(1, folder.File("points.ov2"));
  for (int i = 0; i < 120; ++i) {
    const std::size_t length = lengths[static_cast<std::size_t>(i) % std::size(lengths)];
    const std::string name(i == 60 ? 2 * length : length, static_cast<char>('A' + i % 26));
    ASSERT_TRUE(memory.Add(i * 37 % 101, i * 53 % 97, name));
    ASSERT_TRUE(disk.Add(i * 37 % 101, i * 53 % 97, name)) << disk.Error().reason;
  }
  ASSERT_TRUE(disk.Spilled());
  const std::string bytes = WriteIndex(memory);
  EXPECT_TRUE(WriteIndex(disk) == bytes) << disk.Error().reason;
}

// A spill whose file calls fail (a full disk, a file that cannot be made or read)
// fails the index with the system's words, and leaves no temporary file.
TEST(SpatialIndex, SpillFailuresAreToldAndLeaveNoFile) {
  std::mt19937 random(5150);
  std::uniform_int_distribution<std::int32_t> lon(-180000, 180000), lat(-90000, 90000);
  std::vector<test::DecodedPoi> points;
  for (int i = 0; i < 4000; ++i) points.push_back({lon(random), lat(random), "p" + std::to_string(i)});
  const std::uint64_t budget = SpatialIndex::MemoryFor(300, 300 * 5);
  const auto run = [&](const test::TempFolder& folder, bool& ok, std::string& failure) {
    SpatialIndex index;
    index.SpillBeyond(budget, folder.File("points.ov2"));
    ok = true;
    for (const auto& p : points) ok = ok && index.Add(p.longitude, p.latitude, p.name);
    std::string bytes;
    Ov2Writer writer([&](std::string_view b) { bytes.append(b); return true; });
    ok = ok && index.Write(writer) && writer.Finish();
    failure = index.Error().reason;
  };
  // How often a clean run makes each call.
  int calls[test::kAllFileCallKinds] = {};
  {
    const test::TempFolder folder;
    const test::FaultyFileCalls counting;
    bool ok = false;
    std::string failure;
    run(folder, ok, failure);
    ASSERT_TRUE(ok) << failure;
    for (int k = 0; k < test::kAllFileCallKinds; ++k) calls[k] = counting.Count(static_cast<test::FileCall>(k));
  }
  const test::FileCall refused[] = {test::FileCall::kCreate, test::FileCall::kWrite,
                                    test::FileCall::kOpenRead, test::FileCall::kRead};
  for (const test::FileCall call : refused) {
    const int count = calls[static_cast<int>(call)];
    ASSERT_GT(count, 2) << test::FileCallName(call);
    for (const int nth : {1, count / 2, count}) {
      const test::TempFolder folder;
      bool ok = true;
      std::string failure;
      {
        const test::FaultyFileCalls failing({.refused = call, .nth = nth, .error = ENOSPC});
        run(folder, ok, failure);
      }
      const std::string what = std::string(test::FileCallName(call)) + " " + std::to_string(nth);
      EXPECT_FALSE(ok) << what;
      EXPECT_EQ(failure, std::strerror(ENOSPC)) << what;
      EXPECT_EQ(folder.Entries(), 0u) << what << ": temporary files stayed";
    }
  }
}

// Built on two threads into its file, an overlay's second half goes straight to its
// place while the first is written: the bytes a single thread writes in memory, and a
// refused write of either half fails the whole overlay with the system's words.
TEST(OverlayBuilder, AnIndexWrittenInTwoPlacesItsSecondHalfAndFailsAsAWhole) {
  std::mt19937 random(8128);
  std::uniform_int_distribution<std::int32_t> lon(-18000000, 18000000), lat(-9000000, 9000000);
  std::vector<test::DecodedPoi> points;
  const std::size_t count = SpatialIndex::kTwoThreadPoints + 20000;
  for (std::size_t i = 0; i < count; ++i) {
    points.push_back({lon(random), lat(random), "a point with a long name, number " + std::to_string(i)});
  }
  std::string expected;
  {
    SpatialIndex index;
    index.UseOneThread(true);
    for (const auto& p : points) ASSERT_TRUE(index.Add(p.longitude, p.latitude, p.name));
    Ov2Writer writer([&](std::string_view b) { expected.append(b); return true; });
    ASSERT_TRUE(index.Write(writer) && writer.Finish());
  }
  const auto run = [&](const test::TempFolder& folder, std::string& failure) {
    OverlayBuilder builder;
    if (!builder.Open(folder.File("points.ov2"), false)) return false;
    for (const auto& p : points) {
      AscPoint point;
      point.longitudeUnits = p.longitude;
      point.latitudeUnits = p.latitude;
      point.text = p.name;
      builder.Add(point);
    }
    const bool made = builder.Commit();
    failure = builder.Error().reason;
    return made;
  };
  int writes = 0;
  {
    const test::TempFolder folder;
    const test::FaultyFileCalls counting;
    std::string failure;
    ASSERT_TRUE(run(folder, failure)) << failure;
    EXPECT_TRUE(test::ReadFile(folder.File("points.ov2")) == expected) << "not the bytes of memory";
    writes = counting.Count(test::FileCall::kWrite);
  }
  ASSERT_GT(writes, 3);
  for (int nth = 1; nth <= writes; ++nth) {
    const test::TempFolder folder;
    std::string failure;
    bool made = true;
    {
      const test::FaultyFileCalls failing({.refused = test::FileCall::kWrite, .nth = nth, .error = ENOSPC});
      made = run(folder, failure);
    }
    EXPECT_FALSE(made) << "write " << nth << " refused";
    EXPECT_EQ(failure, std::strerror(ENOSPC)) << "write " << nth << " refused";
    EXPECT_EQ(folder.Entries(), 0u) << "write " << nth << " refused: temporary files stayed";
  }
}

}  // namespace
}  // namespace qh
