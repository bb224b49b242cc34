// ".asc" lines (columns, rounding, asterisks, text bytes) and the messages of their
// writer.
#include "converter/asc_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "converter/pushpin_reader.h"

namespace qh {
namespace {

namespace fs = std::filesystem;

TEST(AscLineTest, ColumnsOfTheHomeExample) {
  const std::string line = AscLine(-0.12345, 51.5, "Home");
  EXPECT_EQ(line, "  -0.12345,  51.50000,\"Home\"\r\n");
  EXPECT_EQ(line.size(), 28u + 2u);
  EXPECT_EQ(line.find(','), 10u) << "column 11 holds the first comma";
  EXPECT_EQ(line.substr(21, 2), ",\"") << "columns 22-23";
}

TEST(AscLineTest, FixedPointFieldAtItsLimits) {
  struct Case {
    double value;
    const char* field;
  };
  const Case cases[] = {
      {0.0, "   0.00000"},
      {-0.0, "   0.00000"},
      {0.5, "   0.50000"},
      {-0.5, "  -0.50000"},
      {-0.000004, "   0.00000"},   // rounds to zero: no minus sign
      {-0.000005000001, "  -0.00001"},
      {0.015625, "   0.01562"},    // exactly halfway: to even
      {-0.015625, "  -0.01562"},
      {0.046875, "   0.04688"},
      {14.32394504547119140625, "  14.32395"},
      {-180.5, "-180.50000"},      // fills the ten columns
      {-999.99999, "-999.99999"},
      {-999.999995, "**********"},  // the double just beyond the halfway point
      {-1000.0, "**********"},
      {9999.99999, "9999.99999"},
      {9999.999995, "**********"},
      {10000.0, "**********"},
  };
  for (const Case& c : cases) {
    const std::string line = AscLine(c.value, c.value, "");
    EXPECT_EQ(line, std::string(c.field) + "," + c.field + ",\"\"\r\n") << "value " << c.value;
  }
}

TEST(AscLineTest, TextIsWrittenAsItStands) {
  const std::string text = std::string("a\"b,c\x01") + '\0' + "\xE9";
  EXPECT_EQ(AscLine(1.0, 2.0, text),
            "   1.00000,   2.00000,\"" + text + "\"\r\n");
}

TEST(PinTextTest, NotesModeAndLowBytes) {
  PinRecord pin;
  pin.name = u"A";
  pin.note1 = u"B";
  pin.note2 = u"C";
  EXPECT_EQ(PinText(pin, NotesMode::Ignore), "A");
  EXPECT_EQ(PinText(pin, NotesMode::Append), "ABC");

  pin.name = std::u16string{u'\u0141', u'\u00E9', u'\0', u'\u2603'};
  pin.note1.clear();
  pin.note2 = u"z";
  const std::string expected = std::string("\x41\xE9") + '\0' + "\x03";
  EXPECT_EQ(PinText(pin, NotesMode::Ignore), expected);
  EXPECT_EQ(PinText(pin, NotesMode::Append), expected + "z");
}

// The line appended in place is byte for byte the line made of strings, after
// whatever the buffer already holds.
TEST(AppendAscLineTest, EqualsTheLineOfAscLineAndPinText) {
  PinRecord pin;
  pin.name = u"Caf\u00E9 \"A\"";
  pin.note1 = std::u16string{u'n', u'\u2603', u'\0'};
  pin.note2 = u"\r\nz";
  const double coordinates[][2] = {
      {-0.12345, 51.5}, {-180.5, 0.0}, {10000.0, -0.000004}, {0.015625, -999.999995}};
  std::string out = "kept";
  std::string expected = "kept";
  for (const auto& c : coordinates) {
    for (NotesMode mode : {NotesMode::Ignore, NotesMode::Append}) {
      AppendAscLine(out, c[0], c[1], pin, mode);
      expected += AscLine(c[0], c[1], PinText(pin, mode));
    }
  }
  EXPECT_EQ(out, expected);
  pin = PinRecord{};
  out.clear();
  AppendAscLine(out, 1, 2, pin, NotesMode::Append);
  EXPECT_EQ(out, "   1.00000,   2.00000,\"\"\r\n");
  EXPECT_EQ(out.find('"'), kAscTextColumn - 1);
}

TEST(AddOffsetTest, SingleOffsetWidenedAndSummedInDouble) {
  EXPECT_EQ(AddOffset(0.1f, 1.0), 1.100000001490116119384765625);
  // Summing in single precision would move the fifth decimal here.
  EXPECT_EQ(AscLine(AddOffset(0.5f, 1234.56789), AddOffset(0.0f, -86.67955), ""),
            "1235.06789, -86.67955,\"\"\r\n");
  EXPECT_EQ(AscLine(AddOffset(0.001f, -0.12345), AddOffset(-0.002f, 51.5), "Home"),
            "  -0.12245,  51.49800,\"Home\"\r\n");
}

class AscWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qh_asc_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    target_ = (dir_ / "trip.asc").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  // Names in the folder, to see that no temporary or set-aside file stays behind.
  int FileCount() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  fs::path dir_;
  std::string target_;
};

// How the file itself behaves is CompleteFile's (complete_file_test.cpp); here, how
// the writer tells its failures: by condition, unit and file name.
TEST_F(AscWriterTest, FolderMissingIsReportedWithUnitAndName) {
  const std::string path = (dir_ / "no such folder" / "trip.asc").string();
  AscWriter writer;
  EXPECT_FALSE(writer.Open(path));
  EXPECT_TRUE(writer.Failed());
  EXPECT_EQ(writer.ErrorMessage(), "cannot create file, unit 11, file " + path);
  EXPECT_FALSE(writer.Write("x"));
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(writer.ErrorMessage(), "cannot create file, unit 11, file " + path)
      << "the first failure is kept";
}

// To the user, a file that cannot take the place of the target was not created.
TEST_F(AscWriterTest, CommitOntoAFolderIsReportedAsCannotCreate) {
  fs::create_directories(target_);
  AscWriter writer;
  ASSERT_TRUE(writer.Open(target_)) << writer.ErrorMessage();
  ASSERT_TRUE(writer.Write("line\r\n"));
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(writer.ErrorMessage(), "cannot create file, unit 11, file " + target_);
  EXPECT_TRUE(fs::is_directory(target_));
  EXPECT_EQ(FileCount(), 1);
}

TEST_F(AscWriterTest, NoMessageUntilAFailureThenAWriteError) {
  AscWriter writer;
  ASSERT_TRUE(writer.Open(target_));
  ASSERT_TRUE(writer.Write(AscLine(1, 2, "a")));
  ASSERT_TRUE(writer.Commit());
  EXPECT_FALSE(writer.Failed());
  EXPECT_EQ(writer.ErrorMessage(), "");
  EXPECT_EQ(Contents(target_), "   1.00000,   2.00000,\"a\"\r\n");
  // A committed file is closed: writing more is a write failure, told with the name.
  EXPECT_FALSE(writer.Write("more"));
  EXPECT_EQ(writer.ErrorMessage(), "error during write, unit 11, file " + target_);
  EXPECT_EQ(Contents(target_), "   1.00000,   2.00000,\"a\"\r\n");

  UnitFileWriter offsets(kOffsetsUnit);
  EXPECT_FALSE(offsets.Commit());
  EXPECT_EQ(offsets.ErrorMessage(), "error during write, unit 12, file ")
      << "committed before any Open";
}

// A pushpin file that ends early must not cost the user the ".asc" of an earlier run.
TEST_F(AscWriterTest, TruncatedPushpinFileLeavesTheEarlierAscUntouched) {
  const std::string psp = (dir_ / "trip.psp").string();
  {
    std::string bytes(12, '\0');
    bytes += std::string("\x02\0\0\0", 4);  // two pins announced
    bytes += std::string(16, '\0');
    bytes += std::string(29, '\0') + std::string("\x01" "A\0" "\0\0", 5);  // pin 1: name "A"
    bytes += std::string(10, '\0');                                         // pin 2 cut short
    Put(psp, bytes);
  }
  Put(target_, "earlier run\r\n");

  PushpinReader reader;
  AscWriter writer;
  ASSERT_TRUE(reader.Open(psp));
  ASSERT_TRUE(writer.Open(target_));
  std::int32_t npins = 0;
  ASSERT_TRUE(reader.ReadHeader(npins));
  ASSERT_EQ(npins, 2);
  int written = 0;
  bool failed = false;
  for (int i = 0; i < npins && !failed; ++i) {
    PinRecord pin;
    if (!reader.NextPin(pin)) {
      failed = true;
      break;
    }
    ASSERT_TRUE(writer.Write(AscLine(pin.longitude, pin.latitude, PinText(pin, NotesMode::Ignore))));
    ++written;
  }
  ASSERT_TRUE(failed);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(reader.ErrorMessage(), "end-of-file during read, unit 10, file " + psp);
  writer.Abandon();
  reader.Close();
  EXPECT_EQ(Contents(target_), "earlier run\r\n");
  EXPECT_EQ(FileCount(), 2) << "only trip.psp and the earlier trip.asc";
}

}  // namespace
}  // namespace qh
