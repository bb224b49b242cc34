#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formats/asc_reader.h"
#include "formats/asc_writer.h"
#include "formats/decimal_number.h"
#include "overlay/ov2_writer.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

struct LineCase {
  const char* line;
  AscLineKind kind;
  double longitude, latitude;
  const char* text;
};

TEST(ParseAscLine, ReadsTheFormsItShouldAndRefusesTheRest) {
  const LineCase cases[] = {
      // The program's own line layout.
      {"  -0.12345,  51.50000,\"Home\"", AscLineKind::kPoint, -0.12345, 51.5, "Home"},
      {"  -0.12345,  51.50000,\"Home\"\r", AscLineKind::kPoint, -0.12345, 51.5, "Home"},
      {"-180.00000,  -0.00001,\"W\"", AscLineKind::kPoint, -180, -0.00001, "W"},
      {" 180.00000,  90.00000,\"NE\"", AscLineKind::kPoint, 180, 90, "NE"},
      // Blanks and tabs around numbers and commas, and GPSBabel's form.
      {"1.5 ,\t2.25\t, \"a b\"  ", AscLineKind::kPoint, 1.5, 2.25, "a b"},
      {"87.134700,35.972030,\"GCEBB\"", AscLineKind::kPoint, 87.1347, 35.97203, "GCEBB"},
      {"+3,-4,\"\"", AscLineKind::kPoint, 3, -4, ""},
      // Too small for a double is still a number: zero.
      {"1e-400,-1e-400,\"tiny\"", AscLineKind::kPoint, 0, 0, "tiny"},
      // The text runs from the first to the last quote, so quotes inside survive.
      {"1,2,\"say \"hi\", then\"", AscLineKind::kPoint, 1, 2, "say \"hi\", then"},
      {"1,2,\";not a comment\"", AscLineKind::kPoint, 1, 2, ";not a comment"},
      {"", AscLineKind::kSkip, 0, 0, ""},
      {" \t \r", AscLineKind::kSkip, 0, 0, ""},
      {"; comment, with \"quotes\"", AscLineKind::kSkip, 0, 0, ""},
      {"   ;indented comment", AscLineKind::kSkip, 0, 0, ""},
      // What the program writes for a coordinate that did not fit its column.
      {"**********,  51.50000,\"Far\"", AscLineKind::kBad, 0, 0,
       "longitude did not fit the .asc columns"},
      {"  -0.12345,**********,\"Far\"", AscLineKind::kBad, 0, 0,
       "latitude did not fit the .asc columns"},
      {"1 2,\"x\"", AscLineKind::kBad, 0, 0, "comma after the longitude"},
      {"1,2 \"x\"", AscLineKind::kBad, 0, 0, "comma after the latitude"},
      {"1,2", AscLineKind::kBad, 0, 0, "comma after the latitude"},
      {"1,2,x", AscLineKind::kBad, 0, 0, "double quotes"},
      {"1,2,\"x", AscLineKind::kBad, 0, 0, "double quotes"},
      {"1,2,\"x\" y", AscLineKind::kBad, 0, 0, "after the closing"},
      {"+-1,2,\"x\"", AscLineKind::kBad, 0, 0, "longitude is not a number"},
      {"0x10,2,\"x\"", AscLineKind::kBad, 0, 0, "longitude is not a decimal number"},
      {"1, 0X1A,\"x\"", AscLineKind::kBad, 0, 0, "latitude is not a decimal number"},
      {"1,nan,\"x\"", AscLineKind::kBad, 0, 0, "latitude is not a number"},
      {"-inf,2,\"x\"", AscLineKind::kBad, 0, 0, "longitude is not a number"},
      {"1,+infinity,\"x\"", AscLineKind::kBad, 0, 0, "latitude is not a number"},
      // Numbers, but no place on earth.
      {"30000,2,\"x\"", AscLineKind::kBad, 0, 0, "longitude is outside -180..180"},
      {"1e400,2,\"x\"", AscLineKind::kBad, 0, 0, "longitude is outside -180..180"},
      {"-180.00001,2,\"x\"", AscLineKind::kBad, 0, 0, "longitude is outside -180..180"},
      {"1,90.00001,\"x\"", AscLineKind::kBad, 0, 0, "latitude is outside -90..90"},
      {"1,-999.99999,\"x\"", AscLineKind::kBad, 0, 0, "latitude is outside -90..90"},
  };
  for (const LineCase& c : cases) {
    AscPoint point;
    std::string_view reason;
    const AscLineKind kind = ParseAscLine(c.line, point, reason);
    ASSERT_EQ(static_cast<int>(kind), static_cast<int>(c.kind)) << "line [" << c.line << "]";
    if (kind == AscLineKind::kPoint) {
      EXPECT_DOUBLE_EQ(point.longitude, c.longitude) << c.line;
      EXPECT_DOUBLE_EQ(point.latitude, c.latitude) << c.line;
      EXPECT_EQ(point.text, c.text) << c.line;
    } else if (kind == AscLineKind::kBad) {
      EXPECT_NE(reason.find(c.text), std::string_view::npos)
          << "line [" << c.line << "] reason [" << reason << "]";
    }
  }
}

// A NUL would end the name in the overlay: the point is kept, flagged, and its text
// kept whole for the writer to blank the NUL; the next line clears the flag.
TEST(ParseAscLine, ATextWithANulIsKeptAndFlagged) {
  AscPoint point;
  std::string_view reason;
  const std::string line("1,2,\"a\0b\"", 9);
  ASSERT_EQ(ParseAscLine(line, point, reason), AscLineKind::kPoint);
  EXPECT_TRUE(point.nulInText);
  EXPECT_EQ(point.text, std::string_view("a\0b", 3));
  ASSERT_EQ(ParseAscLine("1,2,\"ab\"", point, reason), AscLineKind::kPoint);
  EXPECT_FALSE(point.nulInText);
  std::string poi;
  AppendOv2Poi(poi, 1, 2, std::string_view("a\0b", 3));
  EXPECT_EQ(poi.substr(13), std::string("a b\0", 4)) << "the NUL written as a blank";
}

TEST(ParseAscLine, GivesOv2UnitsOfTheCoordinates) {
  AscPoint point;
  std::string_view reason;
  ASSERT_EQ(ParseAscLine(" -86.78190,  36.16270,\"N\"", point, reason), AscLineKind::kPoint);
  EXPECT_EQ(point.longitudeUnits, -8678190);
  EXPECT_EQ(point.latitudeUnits, 3616270);
}

// Texts with any number of decimals up to five, both signs: the units are the exact
// decimal value and the degrees are what a general number parser gives; beyond
// 180 and 90 degrees the line is refused.
TEST(ParseAscLine, CoordinatesGiveExactUnitsAndTheParsedDegrees) {
  const char* forms[] = {"%lld.%05lld", "%lld.%04lld", "%lld.%lld", "%lld.%03lld"};
  long long checked = 0;
  std::vector<long long> wholes;
  for (long long whole = -181; whole <= 181; ++whole) wholes.push_back(whole);
  for (long long whole = -18001; whole <= 18001; whole += 127) wholes.push_back(whole);
  for (const long long whole : wholes) {
    for (long long frac : {0LL, 1LL, 5LL, 49999LL, 50000LL, 99999LL, 12345LL}) {
      for (int f = 0; f < 4; ++f) {
        const long long scale[] = {1, 10, 1, 100};  // the decimals each form leaves out
        long long shown = frac / scale[f];
        if (f == 2) shown = frac % 10;  // one decimal
        char number[40];
        std::snprintf(number, sizeof number, forms[f], whole < 0 ? -whole : whole, shown);
        std::string text = std::string(whole < 0 ? "-" : " ") + number;
        const long long decimals_value = f == 0 ? shown : f == 1 ? shown * 10 : f == 2 ? shown * 10000 : shown * 100;
        const long long units = (whole < 0 ? -1 : 1) * ((whole < 0 ? -whole : whole) * 100000 + decimals_value);
        const std::string line = text + "," + text + ",\"x\"";
        AscPoint point;
        std::string_view reason;
        const long long magnitude = units < 0 ? -units : units;
        if (magnitude > 9000000) {
          ASSERT_EQ(ParseAscLine(line, point, reason), AscLineKind::kBad) << line;
          ASSERT_EQ(reason, magnitude > 18000000 ? "the longitude is outside -180..180"
                                                 : "the latitude is outside -90..90")
              << line;
          ++checked;
          continue;
        }
        ASSERT_EQ(ParseAscLine(line, point, reason), AscLineKind::kPoint) << line;
        ASSERT_EQ(point.longitudeUnits, units) << line;
        ASSERT_EQ(point.latitudeUnits, units) << line;
        ASSERT_EQ(point.longitude, std::stod(text)) << line;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST(ParseAscLine, EightBitAndControlBytesStayInTheText) {
  const std::string line("1,2,\"\xE9\x01\x7F\xFF\"", 10);
  AscPoint point;
  std::string_view reason;
  ASSERT_EQ(ParseAscLine(line, point, reason), AscLineKind::kPoint);
  EXPECT_EQ(point.text, std::string_view("\xE9\x01\x7F\xFF", 4));
}

struct ReadResult {
  std::vector<std::string> texts;
  std::vector<std::size_t> badLines;
  bool failed = false;
  std::string error;
};

ReadResult ReadAll(const std::string& path) {
  ReadResult r;
  AscReader reader;
  if (!reader.Open(path)) {
    r.failed = true;
    r.error = reader.Error().reason;
    return r;
  }
  AscPoint point;
  for (;;) {
    const auto result = reader.Next(point);
    if (result == AscReader::Result::kEnd) break;
    if (result == AscReader::Result::kFailed) {
      r.failed = true;
      r.error = reader.Error().reason;
      break;
    }
    if (result == AscReader::Result::kBadLine) {
      r.badLines.push_back(reader.LineNumber());
    } else {
      r.texts.emplace_back(point.text);
    }
  }
  return r;
}

// The shortcut for the writer's own lines gives the general parser's point, or leaves
// the line to it: at the column and range limits, on both signs and for awkward texts.
TEST(ReadFixedColumnLine, AgreesWithTheGeneralParserOrDeclines) {
  struct Case {
    double longitude, latitude;
    std::string text;
    bool taken;  // whether the shortcut reads it
  };
  const Case cases[] = {
      {-0.12345, 51.5, "Home", true},      {0, 0, "", true},
      {-180, -90, "corner", true},         {180, 90, "corner", true},
      {-0.000004, 0.000004, "zero", true}, {-180.00001, 0, "beyond", false},
      {0, 90.00001, "beyond", false},      {12000, 0, "asterisks", false},
      {-999.99999, 0, "wide", false},      {1, 2, std::string("nul\0in", 6), false},
      {1, 2, "a \"quoted\" name", true},  {1, 2, "\xE9\x92", true},
  };
  for (const Case& c : cases) {
    const std::string line = AscLine(c.longitude, c.latitude, c.text);
    SCOPED_TRACE(line);
    AscPoint fast;
    const bool taken = ReadFixedColumnLine(line, fast);
    EXPECT_EQ(taken, c.taken);
    if (!taken) continue;
    // The parsed text views into the line it was given: keep that line alive.
    const std::string body = line.substr(0, line.size() - 2);
    AscPoint general;
    std::string_view reason;
    ASSERT_EQ(ParseAscLine(body, general, reason), AscLineKind::kPoint) << reason;
    EXPECT_EQ(fast.longitudeUnits, general.longitudeUnits);
    EXPECT_EQ(fast.latitudeUnits, general.latitudeUnits);
    EXPECT_EQ(fast.longitude, general.longitude);
    EXPECT_EQ(fast.latitude, general.latitude);
    EXPECT_EQ(fast.text, general.text);
  }
}

// Lines of any other shape, however short, are left to the general parser rather
// than read past their end or taken by their columns alone.
TEST(ReadFixedColumnLine, DeclinesLinesNotInTheWritersShape) {
  const std::string good = AscLine(4.9, 52.37, "Amsterdam");
  std::string noComma = good, noQuote = good, noLineEnd = good;
  noComma[10] = ' ';
  noQuote[kAscTextColumn - 1] = ' ';
  noLineEnd.pop_back();
  std::string blankInColumn = good, twoSigns = good;
  blankInColumn[11] = '0';  // "0  52.37000": a digit, then blanks
  twoSigns.replace(0, 10, " --4.90000");
  for (const std::string& line : {blankInColumn, twoSigns,std::string(), std::string("\r\n"), std::string("\"\r\n"),
                                  good.substr(0, kAscTextColumn + 2), noComma, noQuote, noLineEnd}) {
    AscPoint point;
    EXPECT_FALSE(ReadFixedColumnLine(line, point)) << line;
  }
  AscPoint point;
  EXPECT_TRUE(ReadFixedColumnLine(good, point));
}

// Short decimals are read without the general reader: each must come out as that reader
// reads it, to the last bit, with its sign, at the limits of the digits it takes, and
// wherever the general reader refuses.
TEST(ParseDecimal, ReadsAsTheGeneralReaderToTheLastBit) {
  std::mt19937_64 random(20261208);
  const auto digits = [&](int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += static_cast<char>('0' + random() % 10);
    return s;
  };
  for (int i = 0; i < 200000; ++i) {
    const int whole = static_cast<int>(random() % 17), decimals = static_cast<int>(random() % 17);
    std::string text = std::string(random() % 4 == 0 ? "-" : random() % 8 == 0 ? "+" : "") +
                       digits(whole) + (random() % 8 == 0 ? "" : ".") + digits(decimals);
    if (random() % 16 == 0) text += random() % 2 == 0 ? "e-3" : "x";
    double expected = 0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), expected);
    const bool readable = ec == std::errc() && ptr == text.data() + text.size() && first[0] != '+';
    double value = 0;
    ASSERT_EQ(ParseDecimal(text, value), readable) << text;
    if (readable) {
      ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text << ": " << value << " against " << expected;
    }
  }
}

TEST(AscReader, CountsLinesAcrossLineEndsAndReportsBadOnesByNumber) {
  test::TempFolder folder;
  const std::string path = folder.File("mixed.asc");
  test::WriteFile(path,
                  "\xEF\xBB\xBF" "1,2,\"one\"\r\n"  // 1, with a byte-order mark
                  "; comment\n"                      // 2
                  "**********,2,\"bad\"\r\n"         // 3
                  "\n"                               // 4
                  "3,4,\"two\"\n"                    // 5
                  "Title after points\n"             // 6: reported, not a title any more
                  "5,6,\"three\"");                  // 7, no line end
  const ReadResult r = ReadAll(path);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.texts, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(r.badLines, (std::vector<std::size_t>{3, 6}));
}

TEST(AscReader, PassesOverTitleLinesBeforeThePoints) {
  test::TempFolder folder;
  const std::string path = folder.File("gpsbabel.asc");
  test::WriteFile(path,
                  "TomTom Navigator Places of Interest\r\n"
                  "GPSBabel-1.8.0 ASCII Export\r\n"
                  "Points\r\n"
                  "Created at: Mon Dec 07 08:06:40 2026\r\n"
                  "87.134700,35.972030,\"GCEBB\"\r\n");
  const ReadResult r = ReadAll(path);
  EXPECT_EQ(r.texts, (std::vector<std::string>{"GCEBB"}));
  EXPECT_TRUE(r.badLines.empty()) << "first bad line " << r.badLines.front();
}

TEST(AscReader, StreamsManyLinesAndALineAsLongAsTheLimit) {
  test::TempFolder folder;
  const std::string path = folder.File("big.asc");
  std::string content;
  const int kLines = 120000;  // several read chunks
  const std::string longName(kAscLineLimit - 6, 'L');  // 0,0,"..." is the longest line
  for (int i = 0; i < kLines; ++i) {
    content += "  1.00000,  2.00000,\"p" + std::to_string(i) + "\"\r\n";
    if (i == kLines / 2) content += "0,0,\"" + longName + "\"\r\n";
  }
  test::WriteFile(path, content);
  const ReadResult r = ReadAll(path);
  ASSERT_FALSE(r.failed) << r.error;
  ASSERT_EQ(r.texts.size(), static_cast<std::size_t>(kLines + 1));
  EXPECT_TRUE(r.badLines.empty());
  for (int i = 0; i <= kLines / 2; ++i) {
    ASSERT_EQ(r.texts[static_cast<std::size_t>(i)], "p" + std::to_string(i));
  }
  EXPECT_EQ(r.texts[kLines / 2 + 1], longName);
  EXPECT_EQ(r.texts.back(), "p" + std::to_string(kLines - 1));
}

// LF, CR LF and a lone CR each end a line, wherever the reads cut the file; a line
// longer than the limit (or input without any line end) ends the reading with its
// number, however much follows.
TEST(AscReader, LineEndsAndLinesBeyondTheLimit) {
  // A CR as the last byte of the first read, its LF the first of the next.
  std::string cut(std::size_t{1} << 20, ' ');
  cut.replace(0, 8, "1,2,\"a\"");
  cut.back() = '\r';
  cut += "\n3,4,\"b\"\n,\n";
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> texts;
    std::vector<std::size_t> badLines;
    std::string error;
  };
  const Case cases[] = {
      {"lone CRs", "1,2,\"a\"\r3,4,\"b\"\r,\r", {"a", "b"}, {3}, ""},
      {"CR before CR LF", "1,2,\"a\"\r\r\n3,4,\"b\"\r\n,", {"a", "b"}, {4}, ""},
      {"CR at the end", "1,2,\"a\"\r", {"a"}, {}, ""},
      {"DOS end-of-file byte", "1,2,\"a\"\r\n\x1A", {"a"}, {}, ""},
      {"DOS end-of-file line", "1,2,\"a\"\r\n\x1A\r\n", {"a"}, {}, ""},
      {"DOS end-of-file line, then line ends", "1,2,\"a\"\r\n\x1A\r\n\r\n\n\r", {"a"}, {}, ""},
      {"Ctrl+Z line with lines after it", "1,2,\"a\"\r\n\x1A\r\n\r\n\r\nx\r\n3,4,\"b\"",
       {"a", "b"}, {2, 5}, ""},
      {"Ctrl+Z line before the first point", "\x1A\n1,2,\"a\"\n", {"a"}, {}, ""},
      {"Ctrl+Z inside a line", "1,2,\"a\"\r\n\x1A,\r\n", {"a"}, {2}, ""},
      {"CR LF across reads", cut, {"a", "b"}, {3}, ""},
      {"one byte too long", "1,2,\"a\"\n0,0,\"" + std::string(kAscLineLimit - 5, 'L') + "\"\n1,2,\"c\"\n",
       {"a"}, {}, "line 2 is longer than 1 MiB"},
      {"no line end", std::string(3 << 20, 'x'), {}, {}, "line 1 is longer than 1 MiB"},
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder.File("ends.asc");
    test::WriteFile(path, c.content);
    const ReadResult r = ReadAll(path);
    EXPECT_EQ(r.texts, c.texts) << c.name;
    EXPECT_EQ(r.badLines, c.badLines) << c.name;
    EXPECT_EQ(r.failed, !c.error.empty()) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
  }
}

TEST(AscReader, AMissingFileFailsToOpenWithAReason) {
  test::TempFolder folder;
  AscReader reader;
  EXPECT_FALSE(reader.Open(folder.File("absent.asc")));
  EXPECT_FALSE(reader.Error().reason.empty());
}

// The writer's count of points the overlay lacks, taken from the columns as the line is
// made, agrees with the reader at the edges of the Earth and of the columns (180.0005
// is a pin at 179.9995 moved by 0.001).
TEST(JudgeWrittenLine, AgreesWithTheParserAtTheEdges) {
  const struct {
    double longitude, latitude;
    bool kept;
  } cases[] = {
      {180, 90, true},          {-180, -90, true},          {180.000004, 0, true},
      {179.9995 + 0.001, 0, false}, {-180.00001, 0, false}, {0, 90.00001, false},
      {0, -999.99999, false},   {1e4, 0, false},            {0, -1000, false},
  };
  for (const auto& c : cases) {
    std::string line;
    AscColumns columns;
    AppendAscLineOf(line, c.longitude, c.latitude, "x", columns);
    std::string_view reason;
    EXPECT_EQ(JudgeWrittenLine(columns, reason) == AscLineKind::kPoint, c.kept) << line;
    AscPoint point;
    EXPECT_EQ(ParseAscLine(line.substr(0, line.size() - 2), point, reason) == AscLineKind::kPoint,
              c.kept)
        << line;
  }
}

}  // namespace
}  // namespace qh
