#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "overlay/ov2_writer.h"
#include "tests/formats/ov2_check.h"

namespace qh {
namespace {

// The ".asc" text of k hundred-thousandths of a degree, built from the integer alone.
std::string FiveDecimals(long long k) {
  std::string digits = std::to_string(k < 0 ? -k : k);
  while (digits.size() < 6) digits.insert(digits.begin(), '0');
  std::string text = k < 0 ? "-" : "";
  text += digits.substr(0, digits.size() - 5) + "." + digits.substr(digits.size() - 5);
  return text;
}

TEST(Ov2Units, FiveDecimalTextsGiveTheirExactUnitsOnBothSigns) {
  // Truncation would move the negative ones (and any product just under a whole
  // number) by one unit.
  std::vector<long long> values;
  for (long long k = -1000; k <= 1000; ++k) values.push_back(k);
  for (long long k = -18000000; k <= 18000000; k += 9973) values.push_back(k);
  values.push_back(-18000000);
  values.push_back(18000000);
  values.push_back(999999999);
  values.push_back(-999999999);
  for (long long k : values) {
    const std::string text = FiveDecimals(k);
    const double degrees = std::stod(text);
    std::int32_t units = 12345;
    ASSERT_TRUE(ToOv2Units(degrees, units)) << text;
    ASSERT_EQ(units, k) << "for " << text;
  }
}

TEST(Ov2Units, RoundsToNearestAndRejectsWhatDoesNotFit) {
  struct Case { double degrees; bool ok; std::int32_t units; };
  const Case cases[] = {
      {-0.000004, true, 0},        {-0.000006, true, -1},
      {0.000006, true, 1},         {-86.781904, true, -8678190},
      {-86.781906, true, -8678191}, {21474.83647, true, 2147483647},
      {-21474.83648, true, -2147483647 - 1},
      {21474.83648, false, 0},     {-21474.83649, false, 0},
      {1e300, false, 0},           {std::numeric_limits<double>::quiet_NaN(), false, 0},
      {std::numeric_limits<double>::infinity(), false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t units = 77;
    EXPECT_EQ(ToOv2Units(c.degrees, units), c.ok) << "degrees " << c.degrees;
    if (c.ok) {
      EXPECT_EQ(units, c.units) << "degrees " << c.degrees;
    }
  }
}

TEST(Ov2Records, PoiAndSkipperHaveTheirByteLayout) {
  std::string poi;
  AppendOv2Poi(poi, -1, 0x01020304, "Ab");
  const std::string expected_poi("\x02\x10\x00\x00\x00\xFF\xFF\xFF\xFF\x04\x03\x02\x01"
                                 "Ab\x00", 16);
  EXPECT_EQ(poi, expected_poi);

  std::string skipper;
  AppendOv2Skipper(skipper, 0x00000155, Ov2Box{-2, -3, 4, 5});
  ASSERT_EQ(skipper.size(), kOv2SkipperSize);
  EXPECT_EQ(skipper[0], '\x01');
  EXPECT_EQ(test::ReadLe32(skipper, 1), 0x155);
  // east, north, west, south
  EXPECT_EQ(test::ReadLe32(skipper, 5), 4);
  EXPECT_EQ(test::ReadLe32(skipper, 9), 5);
  EXPECT_EQ(test::ReadLe32(skipper, 13), -2);
  EXPECT_EQ(test::ReadLe32(skipper, 17), -3);
}

TEST(Ov2Records, NameBytesAreKeptAsTheyStand) {
  const std::string name("Caf\xE9 \"x\", \x01;", 12);
  std::string poi;
  AppendOv2Poi(poi, 5, 6, name);
  const auto decoded = test::DecodeOv2(poi);
  ASSERT_TRUE(decoded.faults.empty()) << test::JoinFaults(decoded);
  ASSERT_EQ(decoded.pois.size(), 1u);
  EXPECT_EQ(decoded.pois[0].name, name);
}

// A NUL would end the name early on a device: wherever it stands in a name of any
// length (bytes 0x80 and 0x01 around it), it is written as a blank and nothing else is.
TEST(Ov2Records, ANulAnywhereInANameIsWrittenAsABlank) {
  for (std::size_t length = 1; length <= 20; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      std::string name(length, '\x80');
      if (at + 1 < length) name[at + 1] = '\x01';
      name[at] = '\0';
      std::string expected = name;
      expected[at] = ' ';
      std::string poi;
      AppendOv2Poi(poi, 1, 2, name);
      ASSERT_EQ(poi.size(), Ov2PoiSize(length));
      EXPECT_EQ(poi.substr(13), expected + '\0') << "a NUL at " << at << " of " << length;
    }
  }
}

TEST(Ov2WriterBuffer, SmallBufferFlushesInPiecesThatJoinToTheSameBytes) {
  std::string whole, pieces;
  int calls = 0;
  Ov2Writer big([&](std::string_view b) { whole.append(b); return true; });
  Ov2Writer small([&](std::string_view b) { pieces.append(b); ++calls; return true; }, 40);
  for (int i = 0; i < 50; ++i) {
    big.Poi(i, -i, "point " + std::to_string(i));
    small.Poi(i, -i, "point " + std::to_string(i));
  }
  EXPECT_EQ(small.BytesWritten(), big.BytesWritten());
  ASSERT_TRUE(big.Finish());
  ASSERT_TRUE(small.Finish());
  EXPECT_GT(calls, 10);
  EXPECT_EQ(pieces, whole);
  EXPECT_EQ(test::DecodeOv2(whole).pois.size(), 50u);
}

TEST(Ov2WriterBuffer, ANameLongerThanTheBufferArrivesWhole) {
  std::string out;
  Ov2Writer writer([&](std::string_view b) { out.append(b); return true; }, 16);
  const std::string name(1000, 'n');
  writer.Poi(1, 2, "a");
  writer.Poi(3, 4, name);
  writer.Skipper(77, Ov2Box{1, 2, 3, 4});
  ASSERT_TRUE(writer.Finish());
  std::string expected;
  AppendOv2Poi(expected, 1, 2, "a");
  AppendOv2Poi(expected, 3, 4, name);
  AppendOv2Skipper(expected, 77, Ov2Box{1, 2, 3, 4});
  EXPECT_EQ(out, expected);
  EXPECT_EQ(writer.BytesWritten(), expected.size());
}

TEST(Ov2WriterBuffer, AFailingSinkFailsTheWriter) {
  int calls = 0;
  Ov2Writer writer([&](std::string_view) { ++calls; return false; }, 20);
  writer.Poi(1, 2, "first name that fills the buffer");
  EXPECT_TRUE(writer.Failed());
  writer.Poi(1, 2, "dropped");
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace qh
