// Loading "offsets.txt" at start-up: missing, good and unreadable files.
#include "converter/command_ids.h"
#include "converter/load_offsets.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

TEST(StatusOffsetsTextTest, HeaderAndF95Fields) {
  const std::string header = " Longitude, Latitude offsets (degrees):";
  EXPECT_EQ(StatusOffsetsText(0, 0), header + "  0.00000,  0.00000");
  EXPECT_EQ(StatusOffsetsText(0, 0).size(), 58u);
  EXPECT_EQ(StatusOffsetsText(0.001f, -0.002f), header + "  0.00100, -0.00200");
  EXPECT_EQ(StatusOffsetsText(-99.99999f, 999.5f), header + "-99.99999,999.50000");
  // Ten columns for both when one needs them: never asterisks, never a cut digit.
  EXPECT_EQ(StatusOffsetsText(-100.0f, -10.0f), header + "-100.00000, -10.00000");
  EXPECT_EQ(StatusOffsetsText(0.5f, -180.0f), header + "   0.50000,-180.00000");
  EXPECT_EQ(StatusOffsetsText(-100.0f, 1000.0f), header + "-100.00000,1000.00000");
  EXPECT_EQ(StatusOffsetsText(-0.000001f, 0.000004f), header + "  0.00000,  0.00000");
}

class LoadOffsetsTest : public ConverterTest {
 protected:
  std::string OffsetsPath() const { return ProgramFolder() + "offsets.txt"; }

  // The calls of start-up between the notes status and the first message.
  std::vector<std::string> LoadCalls() {
    return fake::CallsOf({"IWnMessageBox", "IOsFileDelete", "IWnStatusText"});
  }
};

TEST_F(LoadOffsetsTest, NoFileGivesZerosAndCreatesNone) {
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls({"IWnStatusText(1, Option: Ignore Notes)",
                         "IWnStatusText(2," + std::string(kZeroOffsetsStatus) + ")"},
                        LoadCalls()));
  EXPECT_FALSE(Exists(OffsetsPath()));
}

TEST_F(LoadOffsetsTest, AGoodFileSetsTheOffsetsAndStaysAsItIs) {
  WriteFile(OffsetsPath(), "0.001,-0.002");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls(
      {"IWnStatusText(1, Option: Ignore Notes)",
       "IWnStatusText(2, Longitude, Latitude offsets (degrees):  0.00100, -0.00200)"},
      LoadCalls()));
  EXPECT_EQ(ReadFile(OffsetsPath()), "0.001,-0.002");
}

struct BadCase {
  const char* label;
  const char* content;
};

class BadOffsetsTest : public LoadOffsetsTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadOffsetsTest, ShowsTheErrorKeepsTheFileAsideAndUsesZeros) {
  WriteFile(OffsetsPath() + ".bad", "an older one, replaced");
  WriteFile(OffsetsPath(), GetParam().content);
  // A conversion afterwards must use zero offsets, also for a longitude read
  // before the latitude failed.
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE);

  EXPECT_EQ(RunProgram(), 0);

  const std::string message = "Error when reading offset data from\r" + OffsetsPath() +
                              "\rThe file was kept as\r" + OffsetsPath() +
                              ".bad\rEnter new values using the Option | Offsets menu.\r"
                              "Offsets have been set to zero";
  EXPECT_TRUE(SameCalls({"IWnStatusText(1, Option: Ignore Notes)",
                         "IWnMessageBox(0,3,1," + message + ",Offset data error)",
                         "IWnStatusText(2," + std::string(kZeroOffsetsStatus) + ")"},
                        LoadCalls()));
  EXPECT_FALSE(Exists(OffsetsPath()));
  EXPECT_EQ(ReadFile(OffsetsPath() + ".bad"), GetParam().content) << "kept aside as it was";
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), " -28.64789,  14.32395,\"Home\"\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Contents, BadOffsetsTest,
    ::testing::Values(BadCase{"Empty", ""}, BadCase{"OneNumber", "1.5\r\n"},
                      BadCase{"NotANumber", "east,north\r\n"},
                      BadCase{"StatusHeader",
                              " Longitude, Latitude offsets (degrees):  0.00000,  0.00000\r\n"}),
    [](const ::testing::TestParamInfo<BadCase>& testCase) { return std::string(testCase.param.label); });

}  // namespace
}  // namespace qh::test
