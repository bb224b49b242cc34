// Start-up: the calls in their order, the utility check, and the end of the loop.
#include <filesystem>

#include "converter/command_ids.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

constexpr std::string_view kMissingFilesText =
    "Please copy the files MakeOV2_v1-1.exe\rinto the same folder as Quillhaven\rand re-start.";

class StartupTest : public ConverterTest {};

TEST_F(StartupTest, OpensTheWindowLoadsOffsetsAndEndsOnCloseRequest) {
  // An empty script answers CloseRequest at once.
  EXPECT_EQ(RunProgram(), 0);
  const std::vector<std::string> expected = {
      "IOsArgument(0)",
      "IWnStart()",
      Call("IWnOpenRoot", 103, -1, -1, 640, 256, IDM_MAIN, "Pushpin to OV2 conversion"),
      "IWnStatusParts(2,3500,-1)",
      Call("IWnToolbar", IDT_MAIN),
      Call("IMnSetState", IDC_IGNORE_NOTES, kMenuChecked, 1),
      Call("IMnSetState", IDC_APPEND_NOTES, kMenuChecked, 0),
      "IWnStatusText(1, Option: Ignore Notes)",
      "IWnStatusText(2," + std::string(kZeroOffsetsStatus) + ")",
      "IOsArgument(1)",  // a pushpin file to open at once
      Call("IWnGetMessage", kCloseRequest),
      "IWnStop()",
  };
  EXPECT_TRUE(SameCalls(expected, fake::State().log));
  EXPECT_EQ(kZeroOffsetsStatus.size(), 58u);
  // A close request does not close the help viewer, and no offsets file appears.
  EXPECT_TRUE(fake::CallsOf({"IWnHelp"}).empty());
  EXPECT_FALSE(Exists(Path("prog\\offsets.txt")));
  EXPECT_EQ(fake::State().checkMarks[IDC_IGNORE_NOTES], 1);
  EXPECT_EQ(fake::State().checkMarks[IDC_APPEND_NOTES], 0);
}

TEST_F(StartupTest, WithoutTheUtilityShowsMissingFilesOnceAndReadsNoMessage) {
  std::filesystem::remove(Path("prog\\MakeOV2_v1-1.exe"));
  // Only the program's folder counts, not the current folder.
  WriteFile("MakeOV2_v1-1.exe", "utility in the current folder");
  fake::QueueCommand(IDC_OPEN);

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_EQ(kMissingFilesText.size(), 87u);
  const std::vector<std::string> tail = {
      "IWnStatusText(2," + std::string(kZeroOffsetsStatus) + ")",
      "IWnMessageBox(0,3,1," + std::string(kMissingFilesText) + ",Missing files)",
      "IWnStop()",
  };
  const auto& log = fake::State().log;
  ASSERT_GE(log.size(), tail.size());
  EXPECT_TRUE(SameCalls(tail, std::vector<std::string>(log.end() - 3, log.end())));
  EXPECT_EQ(fake::CallsOf({"IWnMessageBox"}).size(), 1u);
  EXPECT_TRUE(fake::CallsOf({"IWnGetMessage"}).empty());
  EXPECT_EQ(fake::State().messages.size(), 1u) << "the queued Open must stay unread";
}

TEST_F(StartupTest, FindsFilesBesideTheProgramWhateverTheCurrentFolder) {
  // The program's folder is given through argument 0 only; the current folder is
  // elsewhere and holds neither the utility nor the offsets file.
  WriteFile(Path("prog\\offsets.txt"), "0.5 -1.25\r\n");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(fake::CallsOf({"IWnMessageBox"}).empty());
  EXPECT_EQ(fake::State().statusParts[2],
            " Longitude, Latitude offsets (degrees):  0.50000, -1.25000");
}

TEST_F(StartupTest, ArgumentZeroWithoutBackslashLeavesNoFolder) {
  // A bare program name has no folder part: the utility is then looked for under
  // its bare name, which does not stand in the current folder here.
  fake::State().argument0 = "Quillhaven.exe";
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(fake::CallsOf({"IWnMessageBox"}).size(), 1u);

  fake::Reset();
  fake::State().argument0 = "Quillhaven.exe";
  WriteFile("MakeOV2_v1-1.exe", "utility");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(fake::CallsOf({"IWnMessageBox"}).empty());
}

}  // namespace
}  // namespace qh::test
