#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "formats/csv_reader.h"
#include "formats/gpx_reader.h"
#include "formats/point_text_writers.h"

namespace qh {
namespace {

TEST(PointTextWriters, DegreesAreTheUnitsWithFiveDecimals) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "0.00000"},          {1, "0.00001"},           {-1, "-0.00001"},
      {-8678190, "-86.78190"}, {18000000, "180.00000"},   {-100000, "-1.00000"},
      {INT32_MIN, "-21474.83648"},
  };
  for (const auto& [units, text] : cases) {
    std::string out;
    AppendDegrees(out, units);
    EXPECT_EQ(out, text) << units;
  }
}

struct Named {
  std::int32_t longitude, latitude;
  std::string name, desc;
};

const std::vector<Named> kAwkward = {
    {-8678190, 3616270, "Nashville, TN", "Music City"},
    {100, -200, "Say \"G'day\"; then", "two\r\nlines"},
    {0, 0, "<b>&amp; more</b>", ""},
    {1, 2, "\xC5\x81\xC3\xB3" "d\xC5\xBA \xF0\x9F\x98\x80", "tab\there"},
};

TEST(PointTextWriters, CsvRowsReadBackAsTheyWereWritten) {
  std::string text;
  AppendCsvHeader(text);
  for (const Named& p : kAwkward) AppendCsvRow(text, p.longitude, p.latitude, p.name, p.desc);
  CsvReader reader(text);
  ASSERT_TRUE(reader.ReadHeader());
  CsvPoint point;
  for (const Named& p : kAwkward) {
    ASSERT_EQ(reader.Next(point), CsvReader::Result::kPoint) << p.name;
    EXPECT_DOUBLE_EQ(point.longitude, p.longitude / 1e5) << p.name;
    EXPECT_DOUBLE_EQ(point.latitude, p.latitude / 1e5) << p.name;
    EXPECT_EQ(point.name, p.name);
    EXPECT_EQ(point.desc, p.desc);
  }
  EXPECT_EQ(reader.Next(point), CsvReader::Result::kEnd);
}

TEST(PointTextWriters, GpxIsWellFormedAndReadsBackWithItsTexts) {
  std::string text;
  AppendGpxStart(text);
  for (const Named& p : kAwkward) AppendGpxWaypoint(text, p.longitude, p.latitude, p.name, p.desc);
  AppendGpxWaypoint(text, 5, 6, std::string("bell\x07 and \xEF\xBF\xBE", 13), "");
  AppendGpxEnd(text);
  std::vector<Named> back;
  const auto waypoint = [&](const GpxWaypoint& w) {
    double latitude = 0, longitude = 0;
    ASSERT_TRUE(GpxCoordinates(w, latitude, longitude)) << w.latitude << " " << w.longitude;
    back.push_back({static_cast<std::int32_t>(longitude * 1e5 + (longitude < 0 ? -0.5 : 0.5)),
                    static_cast<std::int32_t>(latitude * 1e5 + (latitude < 0 ? -0.5 : 0.5)),
                    std::string(w.name), std::string(w.desc)});
  };
  ContentError error;
  ASSERT_TRUE(ReadGpx(text, waypoint, error)) << error.what << "\n" << text;
  ASSERT_EQ(back.size(), kAwkward.size() + 1);
  for (std::size_t i = 0; i < kAwkward.size(); ++i) {
    EXPECT_EQ(back[i].longitude, kAwkward[i].longitude);
    EXPECT_EQ(back[i].latitude, kAwkward[i].latitude);
    EXPECT_EQ(back[i].name, kAwkward[i].name);
    // XML reads a CR LF as LF.
    EXPECT_EQ(back[i].desc, i == 1 ? "two\nlines" : kAwkward[i].desc);
  }
  EXPECT_EQ(back.back().name, "bell  and");  // controls XML forbids became blanks, trimmed
}

}  // namespace
}  // namespace qh
