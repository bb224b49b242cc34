#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "formats/csv_reader.h"

namespace qh {
namespace {

struct Row {
  double latitude, longitude;
  std::string name, desc;
  std::size_t line;
  bool operator==(const Row&) const = default;
};

struct Outcome {
  std::vector<Row> rows;
  std::vector<std::size_t> badLines;
};

Outcome ReadAll(const std::string& text) {
  Outcome out;
  CsvReader reader(text);
  EXPECT_TRUE(reader.ReadHeader()) << reader.Error().what;
  CsvPoint point;
  for (;;) {
    const CsvReader::Result result = reader.Next(point);
    if (result == CsvReader::Result::kEnd) break;
    if (result == CsvReader::Result::kBadRecord) {
      out.badLines.push_back(reader.LineNumber());
      continue;
    }
    out.rows.push_back({point.latitude, point.longitude, std::string(point.name),
                        std::string(point.desc), reader.LineNumber()});
  }
  return out;
}

TEST(CsvHeader, NamesItsColumnsInAnyOrderAndCase) {
  struct Case {
    const char* header;
    char separator;
    CsvColumns columns;
  };
  const Case cases[] = {
      {"lat,lon,name,desc", ',', {0, 1, 2, 3}},
      {"Name;Longitude;Latitude", ';', {2, 1, 0, -1}},
      {"\xEF\xBB\xBFLAT,LONG,notes", ',', {0, 1, -1, 2}},
      {"id, lng , lat,\"name\",description", ',', {2, 1, 3, 4}},
      {"x;y,z", ',', {-1, -1, -1, -1}},
      {"lat;lon;name,with comma", ';', {0, 1, -1, -1}},
      {"Name\tLat\tLon\tnotes, or more", '\t', {1, 2, 0, -1}},
  };
  for (const Case& c : cases) {
    char separator = 0;
    const CsvColumns columns = CsvHeaderColumns(c.header, separator);
    EXPECT_EQ(separator, c.separator) << c.header;
    EXPECT_EQ(columns.latitude, c.columns.latitude) << c.header;
    EXPECT_EQ(columns.longitude, c.columns.longitude) << c.header;
    EXPECT_EQ(columns.name, c.columns.name) << c.header;
    EXPECT_EQ(columns.desc, c.columns.desc) << c.header;
  }
}

TEST(CsvReader, QuotedFieldsFollowRfc4180) {
  const Outcome out = ReadAll(
      "name,lat,lon,desc\r\n"
      "\"Smith, Jones\",1.5,-2.25,\"says \"\"hi\"\"\"\r\n"
      "\"two\nlines\",3,4,plain\r\n"
      "\r\n"
      "last,5,6,\n");
  ASSERT_TRUE(out.badLines.empty());
  const std::vector<Row> expected = {
      {1.5, -2.25, "Smith, Jones", "says \"hi\"", 2},
      {3, 4, "two\nlines", "plain", 3},
      {5, 6, "last", "", 6},
  };
  EXPECT_EQ(out.rows, expected);
}

TEST(CsvReader, SemicolonsAndTabsTakeDecimalCommasAndLoneCrEndsLines) {
  for (const char separator : {';', '\t'}) {
    std::string text = "lat;lon;name\r36,16;-86,78;Nashville\r\"a;b\";1;x\r";
    std::replace(text.begin(), text.end(), ';', separator);
    const Outcome out = ReadAll(text);
    ASSERT_EQ(out.rows.size(), 1u) << text;
    EXPECT_EQ(out.rows[0], (Row{36.16, -86.78, "Nashville", "", 2})) << text;
    EXPECT_EQ(out.badLines, std::vector<std::size_t>{3}) << text;
  }
}

// A spreadsheet's hint line before the header names the separator; lines count from it.
TEST(CsvReader, AHintLineNamesTheSeparator) {
  const Outcome out = ReadAll("\xEF\xBB\xBFsep=;\r\nName;Lat;Lon\r\nA,b;48,1;11,5\r\nx;north;1\r\n");
  EXPECT_EQ(out.rows, (std::vector<Row>{{48.1, 11.5, "A,b", "", 3}}));
  EXPECT_EQ(out.badLines, std::vector<std::size_t>{4});
}

TEST(CsvReader, RecordsWithoutNumbersAreRefusedWithTheirLine) {
  const Outcome out = ReadAll(
      "lat,lon,name\n"
      "north,2,words\n"
      "1\n"
      "nan,2,not finite\n"
      "1e999,2,too large\n"
      " 7 , 8 ,blanks around numbers\n"
      "9,10,\"never closed\n11,12,swallowed\n");
  EXPECT_EQ(out.badLines, (std::vector<std::size_t>{2, 3, 4, 5, 7}));
  ASSERT_EQ(out.rows.size(), 1u);
  EXPECT_EQ(out.rows[0].name, "blanks around numbers");
}

TEST(CsvReader, AHeaderWithoutCoordinatesIsRefused) {
  for (const char* text : {"", "name,desc\n1,2\n", "latitude,name\n1,x\n"}) {
    CsvReader reader(text);
    EXPECT_FALSE(reader.ReadHeader()) << text;
    EXPECT_FALSE(reader.Error().what.empty()) << text;
  }
}

}  // namespace
}  // namespace qh
