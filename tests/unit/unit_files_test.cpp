// The converter's file channels: how their failures are told (condition, unit and
// file name), and that a failed conversion keeps the earlier ".asc".
#include "converter/unit_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "formats/asc_writer.h"
#include "formats/pushpin_reader.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

namespace fs = std::filesystem;

class AscWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.Path();
    target_ = (dir_ / "trip.asc").string();
  }
  static std::string Contents(const std::string& path) { return test::ReadFile(path); }
  static void Put(const std::string& path, const std::string& bytes) {
    test::WriteFile(path, bytes);
  }
  // Names in the folder, to see that no temporary or set-aside file stays behind.
  int FileCount() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  test::TempFolder folder_;
  fs::path dir_;
  std::string target_;
};

// How the file itself behaves is CompleteFile's (complete_file_test.cpp); here, how
// the converter tells its failures: by condition, unit and file name.
TEST_F(AscWriterTest, FolderMissingIsReportedWithUnitAndName) {
  const std::string path = (dir_ / "no such folder" / "trip.asc").string();
  AscWriter writer;
  EXPECT_FALSE(writer.Open(path));
  EXPECT_TRUE(writer.Failed());
  const std::string missing = std::string("cannot create file (") + std::strerror(ENOENT) + ")";
  EXPECT_EQ(writer.ErrorMessage(), missing + ", unit 11, file " + path);
  EXPECT_FALSE(writer.Write("x"));
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(writer.ErrorMessage(), missing + ", unit 11, file " + path)
      << "the first failure is kept";
}

// To the user, a file that cannot take the place of the target was not created.
TEST_F(AscWriterTest, CommitOntoAFolderIsReportedAsCannotCreate) {
  fs::create_directories(target_);
  AscWriter writer;
  ASSERT_TRUE(writer.Open(target_)) << writer.ErrorMessage();
  ASSERT_TRUE(writer.Write("line\r\n"));
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(writer.ErrorMessage(), std::string("cannot create file (") + std::strerror(EISDIR) +
                                       "), unit 11, file " + target_);
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
  EXPECT_EQ(writer.ErrorMessage(),
            "error during write (the file is not open), unit 11, file " + target_);
  EXPECT_EQ(Contents(target_), "   1.00000,   2.00000,\"a\"\r\n");

  UnitFileWriter offsets(kOffsetsUnit);
  EXPECT_FALSE(offsets.Commit());
  EXPECT_EQ(offsets.ErrorMessage(), "error during write (the file is not open), unit 12, file ")
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
  EXPECT_EQ(UnitMessage(reader.Error(), kPushpinUnit), "end-of-file during read, unit 10, file " + psp);
  writer.Abandon();
  reader.Close();
  EXPECT_EQ(Contents(target_), "earlier run\r\n");
  EXPECT_EQ(FileCount(), 2) << "only trip.psp and the earlier trip.asc";
}

}  // namespace
}  // namespace qh
