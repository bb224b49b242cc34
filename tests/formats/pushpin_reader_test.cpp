// Pushpin reader: byte layout, signed count bytes, coordinate factor, sticky failures,
// and the real sample file.
#include "formats/pushpin_reader.h"
#include "overlay/output_sizes.h"
#include "tests/support/faulty_file_calls.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace qh {
namespace {

namespace fs = std::filesystem;

// A failure in a few words, so that checks and their messages show what and where.
std::string Describe(const IoError& error) {
  switch (error.what) {
    case IoFailure::kNone: return "none";
    case IoFailure::kNotFound: return "not found: " + error.path;
    case IoFailure::kIsFolder: return "folder: " + error.path;
    case IoFailure::kEndOfFile: return "end of file: " + error.path;
    default: return "failure " + std::to_string(static_cast<int>(error.what)) + ": " + error.path;
  }
}

using test::PspBytes;

class PushpinReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = folder_.Path(); }
  void TearDown() override { reader_.Close(); }
  std::string Write(const std::vector<std::uint8_t>& bytes, std::size_t keep = SIZE_MAX) {
    const std::string path = (dir_ / "pins.psp").string();
    test::WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                           std::min(keep, bytes.size())));
    return path;
  }
  std::string OpenBytes(const PspBytes& b, std::size_t keep = SIZE_MAX) {
    const std::string path = Write(b.Data(), keep);
    EXPECT_TRUE(reader_.Open(path)) << Describe(reader_.Error());
    return path;
  }

  test::TempFolder folder_;
  fs::path dir_;
  PushpinReader reader_;
};

TEST_F(PushpinReaderTest, HeaderAndPinFieldsWithOffsets) {
  PspBytes b;
  b.Header(2).Pin(-5, 0, 0.25, -1.0, u"AB", u"c", u"de").Pin(0x12345678, 9, 0.0, 0.0, u"");
  OpenBytes(b);
  std::int32_t npins = -1;
  ASSERT_TRUE(reader_.ReadHeader(npins));
  EXPECT_EQ(npins, 2);
  EXPECT_EQ(reader_.Offset(), 32u);

  PinRecord pin;
  ASSERT_TRUE(reader_.NextPin(pin)) << Describe(reader_.Error());
  EXPECT_EQ(pin.pinId, -5);
  EXPECT_EQ(pin.flag, 0);
  EXPECT_EQ(pin.layout, 7);
  EXPECT_EQ(pin.symbol, -3);
  EXPECT_EQ(pin.latitude, 14.32394504547119140625);
  EXPECT_EQ(pin.longitude, -kRadiansToDegrees);
  EXPECT_EQ(pin.name, u"AB");
  EXPECT_EQ(pin.note1, u"c");
  EXPECT_EQ(pin.note2, u"de");
  EXPECT_EQ(reader_.Offset(), 32u + 32u + 2u * 5u);

  ASSERT_TRUE(reader_.NextPin(pin)) << Describe(reader_.Error());
  EXPECT_EQ(pin.pinId, 0x12345678);
  EXPECT_EQ(pin.flag, 9);
  // Texts never carry over from the pin before.
  EXPECT_TRUE(pin.name.empty() && pin.note1.empty() && pin.note2.empty());
  EXPECT_EQ(reader_.Offset(), b.Size());
  EXPECT_FALSE(reader_.Failed());
}

TEST_F(PushpinReaderTest, CoordinateConversionExamples) {
  struct Case {
    std::uint8_t flag;
    double latRad, lonRad;
    double lat, lon;
  };
  // The longitude is placed after the conversion: 180 comes off the rounded product.
  const Case cases[] = {
      {2, 0.25, 0.5, 14.32394504547119140625, -28.6478900909423828125},
      {1, 0.0, 0.5, 0.0, 28.6478900909423828125},
      {3, 0.0, 0.5, 0.0, -151.3521099090576171875},
      {0, 0.0, -0.5, 0.0, -28.6478900909423828125},
      {2, 0.0, -0.5, 0.0, -28.6478900909423828125},
  };
  PspBytes b;
  b.Header(static_cast<std::int32_t>(std::size(cases)));
  for (const Case& c : cases) b.Pin(1, c.flag, c.latRad, c.lonRad, u"x");
  OpenBytes(b);
  std::int32_t npins = 0;
  ASSERT_TRUE(reader_.ReadHeader(npins));
  for (const Case& c : cases) {
    PinRecord pin;
    ASSERT_TRUE(reader_.NextPin(pin));
    EXPECT_EQ(pin.latitude, c.lat) << "flag " << int(c.flag);
    EXPECT_EQ(pin.longitude, c.lon) << "flag " << int(c.flag) << " lon rad " << c.lonRad;
  }
}

// Each zone in both stored forms: the mapping program's (a magnitude in zones 2 and 6,
// the distance from 180 degrees east in zones 3 and 7) and the signed one of other
// writers; under the zone rule both give the same place. Degrees throughout.
TEST_F(PushpinReaderTest, FlagByteIsTheZoneOrUnderFlag2OnlyNegatesFlag2) {
  struct Case {
    std::uint8_t flag;
    double latitude, stored;
    double zone, flag2Only;
  };
  const Case cases[] = {
      {0, 51.5, 10.5, 10.5, 10.5},
      {0, 51.5, -10.5, -10.5, -10.5},
      {1, 35.5, 120.25, 120.25, 120.25},
      {2, 36.0, 86.5, -86.5, -86.5},         // magnitude
      {2, 36.0, -86.5, -86.5, 86.5},         // signed
      {3, 34.0, 61.75, -118.25, 61.75},      // from 180 degrees east
      {3, 34.0, -118.25, -118.25, -118.25},  // signed
      {3, 34.0, 0.0, 0.0, 0.0},              // zero is neither form
      {4, -33.5, 20.0, 20.0, 20.0},
      {5, -36.75, 174.75, 174.75, 174.75},
      {6, -34.5, 58.25, -58.25, 58.25},
      {6, -34.5, -58.25, -58.25, -58.25},
      {7, -17.5, 30.5, -149.5, 30.5},
      {7, -17.5, -149.5, -149.5, -149.5},
      // Only the values 2, 3, 6 and 7 are zones: other bits set leave the longitude.
      {8, 1.0, 61.75, 61.75, 61.75},
      {10, 1.0, 61.75, 61.75, 61.75},
      {0xFF, 1.0, 61.75, 61.75, 61.75},
  };
  constexpr double kRadian = 1.0 / kRadiansToDegrees;
  PspBytes b;
  b.Header(static_cast<std::int32_t>(std::size(cases)));
  for (const Case& c : cases) b.Pin(1, c.flag, c.latitude * kRadian, c.stored * kRadian, u"x");
  const std::string path = OpenBytes(b);
  PushpinReader flag2Only(LongitudeRule::kFlag2Only);
  ASSERT_TRUE(flag2Only.Open(path));
  std::int32_t npins = 0;
  ASSERT_TRUE(reader_.ReadHeader(npins) && flag2Only.ReadHeader(npins));
  for (const Case& c : cases) {
    PinRecord zonePin, flag2Pin;
    ASSERT_TRUE(reader_.NextPin(zonePin) && flag2Only.NextPin(flag2Pin));
    SCOPED_TRACE(::testing::Message() << "flag " << int(c.flag) << ", stored " << c.stored);
    EXPECT_NEAR(zonePin.longitude, c.zone, 1e-9) << "zone rule";
    EXPECT_NEAR(flag2Pin.longitude, c.flag2Only, 1e-9) << "flag 2 only";
    EXPECT_NEAR(zonePin.latitude, c.latitude, 1e-9);
    EXPECT_EQ(flag2Pin.latitude, zonePin.latitude);
  }
}

TEST_F(PushpinReaderTest, HalfPiIsNotNinetyExactly) {
  PspBytes b;
  b.Header(1).Pin(1, 0, 1.5707963267948966, 0.0, u"p");
  OpenBytes(b);
  std::int32_t npins = 0;
  PinRecord pin;
  ASSERT_TRUE(reader_.ReadHeader(npins) && reader_.NextPin(pin));
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, pin.latitude).ptr;
  EXPECT_EQ(std::string(text, end), "90.00000105055241");
}

TEST_F(PushpinReaderTest, SignedCountBytes) {
  const std::u16string long127(127, u'q');
  PspBytes b;
  b.Header(5);
  // C1 = 0x7F: 127 units.
  b.PinStart(1, 0, 0, 0).Byte(0x7F).Units(long127).Byte(0).Byte(0);
  // C1 = 0x80 and C3 = 0xFF: empty texts, nothing consumed for them.
  b.PinStart(2, 0, 0, 0).Byte(0x80).Byte(1).Units(u"n").Byte(0xFF);
  // C1 = 0, C2 = 0, C3 = 4: 40 bytes.
  b.PinStart(3, 0, 0, 0).Byte(0).Byte(0).Byte(4).Units(u"wxyz");
  // C1 = -1, C2 = -1, C3 = 4: the record ends after the C3 byte (32 bytes).
  b.PinStart(4, 0, 0, 0).Byte(0xFF).Byte(0xFF).Byte(4);
  // The next pin starts right after it.
  b.Pin(5, 0, 0, 0, u"next");
  OpenBytes(b);
  std::int32_t npins = 0;
  ASSERT_TRUE(reader_.ReadHeader(npins));

  struct Expect {
    std::int32_t id;
    std::u16string name, note1, note2;
    std::uint64_t length;
  };
  const Expect expects[] = {
      {1, long127, u"", u"", 32 + 254},
      {2, u"", u"n", u"", 32 + 2},
      {3, u"", u"", u"wxyz", 40},
      {4, u"", u"", u"", 32},
      {5, u"next", u"", u"", 32 + 8},
  };
  std::uint64_t offset = 32;
  for (const Expect& e : expects) {
    PinRecord pin;
    ASSERT_TRUE(reader_.NextPin(pin)) << "pin " << e.id << ": " << Describe(reader_.Error());
    offset += e.length;
    EXPECT_EQ(pin.pinId, e.id);
    EXPECT_EQ(pin.name, e.name) << "pin " << e.id;
    EXPECT_EQ(pin.note1, e.note1) << "pin " << e.id;
    EXPECT_EQ(pin.note2, e.note2) << "pin " << e.id;
    EXPECT_EQ(reader_.Offset(), offset) << "pin " << e.id;
  }
}

TEST_F(PushpinReaderTest, CodeUnitsAreLittleEndianAndZeroIsData) {
  PspBytes b;
  b.Header(1).Pin(1, 0, 0, 0, std::u16string{u'\u0141', u'\0', u'\u00E9', u'\uFFFF'});
  OpenBytes(b);
  std::int32_t npins = 0;
  PinRecord pin;
  ASSERT_TRUE(reader_.ReadHeader(npins) && reader_.NextPin(pin));
  ASSERT_EQ(pin.name.size(), 4u);
  EXPECT_EQ(pin.name[0], 0x0141);
  EXPECT_EQ(pin.name[1], 0x0000);
  EXPECT_EQ(pin.name[2], 0x00E9);
  EXPECT_EQ(pin.name[3], 0xFFFF);
}

TEST_F(PushpinReaderTest, CountsOfZeroNegativeAndHeaderOnlyFile) {
  for (const std::int32_t n : {0, -1, INT32_MIN}) {
    PspBytes b;
    b.Header(n);
    ASSERT_EQ(b.Size(), 32u);
    OpenBytes(b);
    std::int32_t npins = 99;
    EXPECT_TRUE(reader_.ReadHeader(npins)) << Describe(reader_.Error());
    EXPECT_EQ(npins, n);
    EXPECT_FALSE(reader_.Failed());
    reader_.Close();
  }
}

// Bytes after the pins the header counts are not read; room for one more pin at least
// is told (a count damaged to 0 before whole pins), fewer bytes are not.
TEST_F(PushpinReaderTest, BytesAfterTheCountedPinsAreNotReadButTold) {
  struct Case {
    const char* name;
    std::int32_t counted;
    std::size_t extraBytes;  // of 0xEE after the one pin
    std::uint64_t told;      // BytesOfMorePins; SIZE_MAX: the pin and the extra bytes
  };
  const Case cases[] = {
      {"none", 1, 0, 0},
      {"less than a pin", 1, kPinRecordLeast - 1, 0},
      {"room for a pin", 1, kPinRecordLeast, kPinRecordLeast},
      {"far more", 1, 100, 100},
      {"a count of 0 before a pin", 0, 0, SIZE_MAX},
  };
  for (const Case& c : cases) {
    PspBytes b;
    b.Header(c.counted).Pin(1, 2, 0, 0.5, u"only");
    const std::size_t pinsEnd = b.Size();
    for (std::size_t i = 0; i < c.extraBytes; ++i) b.Byte(0xEE);
    OpenBytes(b);
    std::int32_t npins = 0;
    ASSERT_TRUE(reader_.ReadHeader(npins)) << c.name;
    PinRecord pin;
    for (std::int32_t i = 0; i < npins; ++i) ASSERT_TRUE(reader_.NextPin(pin)) << c.name;
    if (c.counted == 1) {
      EXPECT_EQ(pin.name, u"only") << c.name;
      EXPECT_EQ(reader_.Offset(), pinsEnd) << c.name;
    }
    const std::uint64_t told = c.told == SIZE_MAX ? b.Size() - 32 : c.told;
    EXPECT_EQ(reader_.BytesOfMorePins(), told) << c.name;
    reader_.Close();
  }
}

TEST_F(PushpinReaderTest, ManyPinsAcrossBufferRefills) {
  // About 170 KB, several times the reader's buffer: records straddle its refills.
  constexpr int kPins = 600;
  PspBytes b;
  b.Header(kPins);
  for (int i = 0; i < kPins; ++i) {
    std::u16string name(static_cast<std::size_t>(1 + i % 127), u'a');
    name[0] = static_cast<char16_t>(0x100 + i);
    b.Pin(i, 0, i * 0.001, -i * 0.002, name, u"n", u"m");
  }
  OpenBytes(b);
  std::int32_t npins = 0;
  ASSERT_TRUE(reader_.ReadHeader(npins));
  ASSERT_EQ(npins, kPins);
  for (int i = 0; i < kPins; ++i) {
    PinRecord pin;
    ASSERT_TRUE(reader_.NextPin(pin)) << "pin " << i << ": " << Describe(reader_.Error());
    ASSERT_EQ(pin.pinId, i);
    ASSERT_EQ(pin.name.size(), static_cast<std::size_t>(1 + i % 127)) << "pin " << i;
    ASSERT_EQ(pin.name[0], 0x100 + i) << "pin " << i;
    ASSERT_EQ(pin.note2, u"m") << "pin " << i;
    ASSERT_EQ(pin.latitude, (i * 0.001) * kRadiansToDegrees) << "pin " << i;
  }
  EXPECT_EQ(reader_.Offset(), b.Size());
}

// Reads that give a few bytes at a time (a pipe, a network share) end the buffer at
// every byte of a record in turn: each count is looked for where it lies.
TEST_F(PushpinReaderTest, ShortReadsGiveTheSamePins) {
  PspBytes b;
  b.Header(40);
  for (int i = 0; i < 40; ++i) {
    b.Pin(i, 0, i * 0.001, -i * 0.002, std::u16string(static_cast<std::size_t>(1 + i % 5), u'a'),
          std::u16string(static_cast<std::size_t>(i % 3), u'n'), i % 4 == 0 ? u"" : u"m");
  }
  std::vector<PinRecord> whole;
  OpenBytes(b);
  std::int32_t npins = 0;
  ASSERT_TRUE(reader_.ReadHeader(npins));
  for (PinRecord pin; reader_.NextPin(pin);) whole.push_back(pin);
  ASSERT_EQ(whole.size(), 40u);
  for (const std::size_t piece : {1u, 2u, 3u, 7u, 30u, 31u}) {
    const test::FaultyFileCalls shortReads({.readPiece = piece});
    OpenBytes(b);
    ASSERT_TRUE(reader_.ReadHeader(npins)) << piece;
    for (const PinRecord& expected : whole) {
      PinRecord pin;
      ASSERT_TRUE(reader_.NextPin(pin)) << piece << "-byte reads: " << Describe(reader_.Error());
      EXPECT_EQ(pin.pinId, expected.pinId) << piece;
      EXPECT_EQ(pin.name, expected.name) << piece;
      EXPECT_EQ(pin.note1, expected.note1) << piece;
      EXPECT_EQ(pin.note2, expected.note2) << piece << ", pin " << expected.pinId;
    }
    EXPECT_EQ(reader_.Offset(), b.Size()) << piece;
  }
}

// A file cut short by someone else while it is read (another program rewriting it, a
// network share going away) ends as a short file does, at the cut, and stays failed.
TEST_F(PushpinReaderTest, AFileThatShrinksWhileItIsReadEndsAtTheCut) {
  constexpr int kPins = 600;
  PspBytes b;
  b.Header(kPins);
  for (int i = 0; i < kPins; ++i) b.Pin(i, 0, 0.001, 0.002, std::u16string(100, u'x'), u"n", u"m");
  for (const std::uintmax_t cut : {std::uintmax_t{50000}, std::uintmax_t{32}, std::uintmax_t{0}}) {
    const std::string path = OpenBytes(b);
    std::int32_t npins = 0;
    ASSERT_TRUE(reader_.ReadHeader(npins));
    PinRecord pin;
    ASSERT_TRUE(reader_.NextPin(pin));  // the first buffer is in
    fs::resize_file(path, cut);
    int more = 0;
    while (reader_.NextPin(pin)) ++more;
    EXPECT_LT(more, kPins - 1) << "cut at " << cut;
    EXPECT_EQ(Describe(reader_.Error()), "end of file: " + path) << "cut at " << cut;
    EXPECT_LE(reader_.Offset(), std::max<std::uintmax_t>(cut, 32 * 1024 + 32)) << "cut at " << cut;
    EXPECT_FALSE(reader_.NextPin(pin));
    reader_.Close();
  }
}

TEST_F(PushpinReaderTest, MissingFileIsReportedWithItsName) {
  const std::string path = (dir_ / "absent.psp").string();
  EXPECT_FALSE(reader_.Open(path));
  EXPECT_TRUE(reader_.Failed());
  EXPECT_EQ(Describe(reader_.Error()), "not found: " + path);
  std::int32_t npins = 5;
  EXPECT_FALSE(reader_.ReadHeader(npins));
  EXPECT_EQ(npins, 0);
  EXPECT_EQ(Describe(reader_.Error()), "not found: " + path) << "the first failure stays";
}

// A folder is named as one, not as a missing file (it opens on Linux and is refused
// on Windows, so a plain open tells neither truth).
TEST_F(PushpinReaderTest, AFolderIsToldAsAFolder) {
  const fs::path folder = dir_ / "pins.psp";
  fs::create_directories(folder);
  EXPECT_FALSE(reader_.Open(folder.string()));
  EXPECT_EQ(Describe(reader_.Error()), "folder: " + folder.string());
}

TEST_F(PushpinReaderTest, TruncatedFileFailsAtEveryCutAndStaysFailed) {
  PspBytes b;
  b.Header(2).Pin(1, 0, 0.1, 0.2, u"ab", u"c", u"").PinStart(2, 0, 0.3, 0.4).Byte(0).Byte(0).Byte(3).Units(u"xyz");
  const std::size_t full = b.Size();
  struct Cut {
    const char* where;
    std::size_t keep;
    bool headerOk;
    int pinsOk;
  };
  const std::size_t pin2 = 32 + 32 + 6;
  const Cut cuts[] = {
      {"empty file", 0, false, 0},
      {"inside the first skip", 11, false, 0},
      {"inside npins", 14, false, 0},
      {"inside the second skip", 31, false, 0},
      {"inside pinId", 34, true, 0},
      {"after flag", 37, true, 0},
      {"inside latitude", 40, true, 0},
      {"inside longitude", 32 + 16, true, 0},
      {"inside symbol", 32 + 27, true, 0},
      {"inside the name", 32 + 31, true, 0},
      {"before C2", 32 + 34, true, 0},
      {"inside note 1", 32 + 36, true, 0},
      {"before C3", 32 + 37, true, 0},
      {"inside note 2 of pin 2", pin2 + 35, true, 1},
      {"one byte short", full - 1, true, 1},
  };
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.where);
    const std::string path = OpenBytes(b, cut.keep);
    const std::string message = "end of file: " + path;
    std::int32_t npins = 0;
    EXPECT_EQ(reader_.ReadHeader(npins), cut.headerOk) << Describe(reader_.Error());
    int pinsOk = 0;
    PinRecord pin;
    if (cut.headerOk) {
      for (int i = 0; i < npins; ++i) {
        if (!reader_.NextPin(pin)) break;
        ++pinsOk;
      }
      EXPECT_EQ(pinsOk, cut.pinsOk);
    }
    EXPECT_TRUE(reader_.Failed());
    EXPECT_EQ(Describe(reader_.Error()), message);
    // Sticky: a later read fails too, yields nothing and keeps the first message.
    pin.name = u"stale";
    EXPECT_FALSE(reader_.NextPin(pin));
    EXPECT_TRUE(pin.name.empty());
    EXPECT_EQ(pin.pinId, 0);
    EXPECT_EQ(Describe(reader_.Error()), message);
    reader_.Close();
  }
  // And the whole file reads cleanly.
  OpenBytes(b);
  std::int32_t npins = 0;
  PinRecord pin;
  EXPECT_TRUE(reader_.ReadHeader(npins) && reader_.NextPin(pin) && reader_.NextPin(pin));
  EXPECT_EQ(pin.note2, u"xyz");
}

TEST_F(PushpinReaderTest, ReopeningClearsAnEarlierFailure) {
  PspBytes b;
  b.Header(1);
  OpenBytes(b);
  std::int32_t npins = 0;
  PinRecord pin;
  ASSERT_TRUE(reader_.ReadHeader(npins));
  EXPECT_FALSE(reader_.NextPin(pin));
  reader_.Close();
  b.Pin(1, 0, 0, 0, u"ok");
  OpenBytes(b);
  EXPECT_FALSE(reader_.Failed());
  EXPECT_TRUE(reader_.ReadHeader(npins) && reader_.NextPin(pin)) << Describe(reader_.Error());
  EXPECT_EQ(pin.name, u"ok");
}

// The sample written by another program, which stores signed longitudes under flag 2:
// its names and coordinates must agree with the waypoint file it was made from.
struct Waypoint {
  std::string id;
  double lat = 0, lon = 0;
};

std::string Attribute(const std::string& text, std::size_t from, const std::string& name) {
  const std::string key = name + "=\"";
  const std::size_t start = text.find(key, from);
  if (start == std::string::npos) return {};
  const std::size_t valueStart = start + key.size();
  return text.substr(valueStart, text.find('"', valueStart) - valueStart);
}

double Number(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::vector<Waypoint> ReadLoc(const fs::path& path) {
  const std::string text = test::ReadFile(path.string());
  std::vector<Waypoint> points;
  for (std::size_t at = text.find("<waypoint>"); at != std::string::npos;
       at = text.find("<waypoint>", at + 1)) {
    Waypoint w;
    w.id = Attribute(text, at, "id");
    const std::size_t coord = text.find("<coord", at);
    w.lat = Number(Attribute(text, coord, "lat"));
    w.lon = Number(Attribute(text, coord, "lon"));
    points.push_back(w);
  }
  return points;
}

TEST(PushpinSample, NashvilleAgreesWithItsWaypoints) {
  const fs::path dir = QH_TESTDATA;
  if (!fs::exists(dir / "nashville.psp") || !fs::exists(dir / "nashville.loc"))
    GTEST_SKIP() << "sample files not present in " << dir.string();
  const std::vector<Waypoint> points = ReadLoc(dir / "nashville.loc");
  ASSERT_EQ(points.size(), 9u);

  PushpinReader reader;
  ASSERT_TRUE(reader.Open((dir / "nashville.psp").string())) << Describe(reader.Error());
  std::int32_t npins = 0;
  ASSERT_TRUE(reader.ReadHeader(npins));
  ASSERT_EQ(npins, 9);
  for (const Waypoint& w : points) {
    PinRecord pin;
    ASSERT_TRUE(reader.NextPin(pin)) << Describe(reader.Error());
    const std::string name(pin.name.begin(), pin.name.end());
    EXPECT_EQ(name, w.id);
    EXPECT_EQ(pin.flag, 2) << w.id;
    EXPECT_FALSE(pin.note1.empty()) << w.id;
    EXPECT_TRUE(pin.note2.empty()) << w.id;
    EXPECT_NEAR(pin.latitude, w.lat, 1.0e-5) << w.id;
    EXPECT_NEAR(pin.longitude, w.lon, 1.0e-5) << w.id;
  }
  reader.Close();
}

}  // namespace
}  // namespace qh
