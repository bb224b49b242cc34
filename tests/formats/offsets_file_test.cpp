// The offsets file: free-form reading, the fixed line written, the status text, and the
// file operations around them.
#include "formats/offsets_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>

namespace qh {
namespace {

namespace fs = std::filesystem;

TEST(ParseOffsetsTest, AcceptedForms) {
  struct Case {
    const char* content;
    float longitude, latitude;
  };
  const Case cases[] = {
      {"0.001,-0.002", 0.001f, -0.002f},
      {" 1.500000      0.5000000    \r\n", 1.5f, 0.5f},
      {"1 2", 1.0f, 2.0f},
      {"-7,+8", -7.0f, 8.0f},
      {"1e-3 2.5E+2", 0.001f, 250.0f},
      {"0.1000000E-02 -0.3400000E+39", 0.001f, -3.4e38f},
      {"1.5D2,3d-1", 150.0f, 0.3f},
      {".5 -.25", 0.5f, -0.25f},
      {"5. 6.", 5.0f, 6.0f},
      {"\r\n\r\n\t 3\n\n4 and anything after", 3.0f, 4.0f},
      {"1, 2, not a number", 1.0f, 2.0f},
      {"1 ,2", 1.0f, 2.0f},
      {"12.25\r\n-1.5\r\n", 12.25f, -1.5f},
  };
  for (const Case& c : cases) {
    float lon = -99, lat = -99;
    EXPECT_TRUE(ParseOffsets(c.content, lon, lat)) << "content [" << c.content << "]";
    EXPECT_EQ(lon, c.longitude) << "content [" << c.content << "]";
    EXPECT_EQ(lat, c.latitude) << "content [" << c.content << "]";
  }
}

TEST(ParseOffsetsTest, RejectedContents) {
  const char* const contents[] = {
      "",
      "  \r\n \r\n",
      "1.5",
      "1.5\r\n",
      " Longitude, Latitude offsets (degrees):  0.00000,  0.00000",
      "abc 1",
      "1 abc",
      "1,,2",        // an empty value is not a number
      ",1 2",
      "1/2",         // a slash ends the input
      "inf 1",
      "1 nan",
      "1e99 1",      // beyond single precision
      "1.2.3 4",
      "0x10 1",
      "1e 2",
      "- 1 2",
      "1 2garbage",
  };
  for (const char* content : contents) {
    float lon = -99, lat = -98;
    EXPECT_FALSE(ParseOffsets(content, lon, lat)) << "content [" << content << "]";
    EXPECT_EQ(lon, -99) << "content [" << content << "]: outputs untouched on failure";
    EXPECT_EQ(lat, -98) << "content [" << content << "]";
  }
}

TEST(OffsetsFileLineTest, FixedLayout) {
  EXPECT_EQ(OffsetsFileLine(1.5f, 0.5f), " " "   1.500000    " "  0.5000000    " "\r\n");
  for (const float v : {0.0f, 0.001f, -0.002f, 1.0e-30f, 3.0e38f, -1.0e7f}) {
    const std::string line = OffsetsFileLine(v, v);
    EXPECT_EQ(line.size(), 33u) << "value " << v << " line [" << line << "]";
    EXPECT_EQ(line.substr(31), "\r\n") << "value " << v;
    EXPECT_EQ(line[0], ' ');
  }
  const std::string tiny = OffsetsFileLine(0.001f, 0.0f).substr(1, 15);
  EXPECT_NE(tiny.find('E'), std::string::npos) << "exponent form below 0.1: [" << tiny << "]";
}

TEST(OffsetsFileLineTest, ReadsBackToTheSameValues) {
  const float values[] = {0.0f,    -0.0f,    0.001f,   -0.002f,  1.5f,     0.5f,     -123.4567f,
                          0.1f,    0.09999999f, 9999999.0f, 1.0e7f, -1.0e7f, 1.0e-30f, -2.5e-38f,
                          3.0e38f, -3.4e38f, 1.0e-45f, 12.25f, -999.0f, 57.29578f};
  const std::size_t count = std::size(values);
  for (std::size_t i = 0; i < count; ++i) {
    const float lon = values[i];
    const float lat = values[count - 1 - i];
    const std::string line = OffsetsFileLine(lon, lat);
    float lonBack = -1, latBack = -1;
    ASSERT_TRUE(ParseOffsets(line, lonBack, latBack)) << "line [" << line << "]";
    EXPECT_EQ(lonBack, lon) << "line [" << line << "]";
    EXPECT_EQ(latBack, lat) << "line [" << line << "]";
  }
}

// Values typed with up to six significant digits come back exactly; any other float
// comes back within the seven digits the line keeps.
TEST(OffsetsFileLineTest, RoundTripOverManyMagnitudes) {
  std::mt19937 random(20240607);
  std::uniform_int_distribution<int> mantissa(100000, 999999);
  std::uniform_int_distribution<int> exponent(-37, 37);
  for (int i = 0; i < 3000; ++i) {
    const std::string typed = std::to_string(mantissa(random)) + "e" + std::to_string(exponent(random));
    float value = 0;
    std::from_chars(typed.data(), typed.data() + typed.size(), value);
    const float signedValue = (i % 2) ? -value : value;
    float back = 0, other = 0;
    const std::string line = OffsetsFileLine(signedValue, 0.0f);
    ASSERT_TRUE(ParseOffsets(line, back, other)) << "line [" << line << "]";
    ASSERT_EQ(back, signedValue) << "typed " << typed << " line [" << line << "]";
  }
  std::uniform_int_distribution<std::uint32_t> bits(0, 0x7F7FFFFF);
  for (int i = 0; i < 3000; ++i) {
    const float value = std::bit_cast<float>(bits(random));
    float back = 0, other = 0;
    const std::string line = OffsetsFileLine(value, 0.0f);
    ASSERT_TRUE(ParseOffsets(line, back, other)) << "line [" << line << "]";
    ASSERT_LE(std::fabs(back - value), 6.0e-7 * std::fabs(value) + 1.5e-45)
        << "value " << value << " line [" << line << "]";
  }
}


class OffsetsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.Path();
    path_ = (dir_ / "offsets.txt").string();
  }
  void Put(const std::string& bytes) const {
    test::WriteFile(path_, bytes);
  }
  std::string Contents() const { return test::ReadFile(path_); }
  int FileCount() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  test::TempFolder folder_;
  fs::path dir_;
  std::string path_;
};

TEST_F(OffsetsFileTest, MissingFileGivesZeroAndCreatesNothing) {
  float lon = 5, lat = 6;
  EXPECT_EQ(ReadOffsetsFile(path_, lon, lat), OffsetsRead::Missing);
  EXPECT_EQ(lon, 0);
  EXPECT_EQ(lat, 0);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(OffsetsFileTest, LoadsTwoNumbers) {
  Put("0.001,-0.002");
  float lon = 0, lat = 0;
  EXPECT_EQ(ReadOffsetsFile(path_, lon, lat), OffsetsRead::Loaded);
  EXPECT_EQ(lon, 0.001f);
  EXPECT_EQ(lat, -0.002f);
}

TEST_F(OffsetsFileTest, BadContentsGiveZero) {
  for (const char* content : {"", "5.5", "5.5\r\n", " Longitude, Latitude offsets (degrees):\r\n1 2\r\n"}) {
    Put(content);
    float lon = 5, lat = 6;
    EXPECT_EQ(ReadOffsetsFile(path_, lon, lat), OffsetsRead::Bad) << "content [" << content << "]";
    EXPECT_EQ(lon, 0) << "content [" << content << "]: also a longitude read before the failure";
    EXPECT_EQ(lat, 0) << "content [" << content << "]";
  }
}

TEST_F(OffsetsFileTest, UnreadableFileIsBad) {
  fs::create_directories(path_);  // a folder of that name cannot be read as a file
  float lon = 5, lat = 6;
  EXPECT_EQ(ReadOffsetsFile(path_, lon, lat), OffsetsRead::Bad);
  EXPECT_EQ(lon, 0);
  EXPECT_EQ(lat, 0);
}

TEST_F(OffsetsFileTest, WriteReplacesAHandTypedFileAndReadsBack) {
  Put("0.25 , 0.75   typed by hand\r\nsecond line\r\n");
  IoError error;
  ASSERT_TRUE(WriteOffsetsFile(path_, 1.5f, 0.5f, &error)) << error.reason;
  EXPECT_FALSE(error) << "no failure to tell";
  EXPECT_EQ(Contents(), " " "   1.500000    " "  0.5000000    " "\r\n");
  float lon = 0, lat = 0;
  EXPECT_EQ(ReadOffsetsFile(path_, lon, lat), OffsetsRead::Loaded);
  EXPECT_EQ(lon, 1.5f);
  EXPECT_EQ(lat, 0.5f);

  ASSERT_TRUE(WriteOffsetsFile(path_, -999.0f, 0.001f));
  EXPECT_EQ(ReadOffsetsFile(path_, lon, lat), OffsetsRead::Loaded);
  EXPECT_EQ(lon, -999.0f);
  EXPECT_EQ(lat, 0.001f);
  EXPECT_EQ(FileCount(), 1) << "no temporary left";
}

TEST_F(OffsetsFileTest, WriteFailureIsReportedAndKeepsNothing) {
  const std::string path = (dir_ / "missing folder" / "offsets.txt").string();
  IoError error;
  EXPECT_FALSE(WriteOffsetsFile(path, 1.0f, 2.0f, &error));
  EXPECT_EQ(error.what, IoFailure::kCannotCreate);
  EXPECT_EQ(error.path, path);
  EXPECT_EQ(FileCount(), 0);
}

}  // namespace
}  // namespace qh
