// The error routine: message table, error line, reporting modes, abnormal exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/config_file.h"
#include "core/error_outputs.h"
#include "core/error_state.h"
#include "core/error_table.h"
#include "services/errors.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- table and line

TEST(ErrorTable, LinesOfTheDocumentedExamples) {
  struct Case {
    int code;
    const char* line;
  };
  const Case cases[] = {
      {1001, "Error=1001:Invalid menu item"},
      {13, "Error=  13:Operating system command error in an OS routine"},
      {6, "Error=   6:"},
      {1, "Error=   1:Error opening file or device"},
      {65, "Error=  65:Return buffer too small in IOsVariable"},
      {1042, "Error=1042:X server modal dialog/window pixmap resources are exhausted"},
      {0, "Error=   0:"},
      {-5, "Error=  -5:"},
      {-999, "Error=-999:"},
      {-1000, "Error=****:"},
      {10000, "Error=****:"},
      {9999, "Error=9999:"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorLine(c.code), c.line) << "code " << c.code;
  }
}

TEST(ErrorTable, CodesWithoutTextHaveASingleBlank) {
  const int blanks[] = {0, -1, 6, 7, 8, 9, 14, 15, 17, 19, 26, 29, 33, 35, 39, 41, 45, 47,
                        48, 50, 52, 56, 57, 59, 62, 66, 1000, 1043, 999999, -1001};
  for (int code : blanks) EXPECT_EQ(ErrorText(code), " ") << "code " << code;
}

TEST(ErrorTable, EveryCodeOfBothRangesIsCoveredAsListed) {
  int low = 0;
  for (int code = 1; code <= 65; ++code) {
    if (ErrorText(code) != " ") ++low;
  }
  int high = 0;
  for (int code = 1001; code <= 1042; ++code) {
    if (ErrorText(code) != " ") ++high;
  }
  EXPECT_EQ(low, 34);
  EXPECT_EQ(high, 42);
  // Neighbouring texts must not run into each other in the shared run.
  EXPECT_EQ(ErrorText(12), "Invalid character detected");
  EXPECT_EQ(ErrorText(13), "Operating system command error in an OS routine");
  EXPECT_EQ(ErrorText(55), "Source and target file names same in copy command");
  EXPECT_EQ(ErrorText(1034), "External process timed out before completion");
  EXPECT_EQ(ErrorText(1031), "Not a valid help file extension");
}

TEST(ErrorTable, LinesAreCutToSeventyThreeCharacters) {
  std::size_t longest = 0;
  for (int code : {40, 42, 44, 1042, 1022, 20}) {
    const std::string line = ErrorLine(code);
    EXPECT_LE(line.size(), kErrorLineLength) << "code " << code;
    longest = std::max(longest, line.size());
  }
  // Code 42's text is 65 characters: only 62 fit after "Error=  42:".
  EXPECT_EQ(ErrorLine(42), "Error=  42:Unknown colour name/number specified to IGxColour/IGxColourNum");
  EXPECT_EQ(longest, kErrorLineLength);
}

TEST(ErrorTable, FourColumnsAtItsLimits) {
  EXPECT_EQ(FourColumns(0), "   0");
  EXPECT_EQ(FourColumns(9999), "9999");
  EXPECT_EQ(FourColumns(-999), "-999");
  EXPECT_EQ(FourColumns(10000), "****");
  EXPECT_EQ(FourColumns(-1000), "****");
  EXPECT_EQ(FourColumns(-2147483647 - 1), "****");
}

TEST(AbnormalExitText, CodeMovedLeftAndMessageTrimmed) {
  EXPECT_EQ(AbnormalExitText("X", 0), "Abnormal exit (code 0) : X");
  EXPECT_EQ(AbnormalExitText("Paneward version 2.30e   ", 0),
            "Abnormal exit (code 0) : Paneward version 2.30e");
  EXPECT_EQ(AbnormalExitText("  lead", 1234), "Abnormal exit (code 1234) :   lead");
  EXPECT_EQ(AbnormalExitText("m", -12), "Abnormal exit (code -12) : m");
  EXPECT_EQ(AbnormalExitText("m", 12345), "Abnormal exit (code ****) : m");
}

TEST(AbnormalExitText, AtMost255Characters) {
  const std::string message(300, 'z');
  const std::string text = AbnormalExitText(message, 3);
  ASSERT_EQ(text.size(), 255u);
  EXPECT_EQ(text.substr(0, 26), "Abnormal exit (code 3) : z");
  EXPECT_EQ(text.back(), 'z');
}

// ---------------------------------------------------------------- the routine

class ErrorReport : public ::testing::Test {
 protected:
  void SetUp() override { ResetErrorStateForTests(); }
  void TearDown() override { ResetErrorStateForTests(); }
};

TEST_F(ErrorReport, SilentModeKeepsOnlyTheLastCode) {
  IErReport(13);
  IErReport(55);
  EXPECT_EQ(IErInfo(1), 55);
  EXPECT_EQ(IErInfo(1), 0) << "reading value 1 must clear it";
}

TEST_F(ErrorReport, InfoReturnsAndClearsEachValue) {
  IErReport(1001);
  SetGraphicsStatus(7);
  SetLastSystemError(2);
  EXPECT_EQ(IErInfo(2), 7);
  EXPECT_EQ(IErInfo(2), 0);
  EXPECT_EQ(IErInfo(3), 2);
  EXPECT_EQ(IErInfo(3), 0);
  // Any `which` other than 1 and 2 means value 3.
  SetLastSystemError(5);
  EXPECT_EQ(IErInfo(0), 5);
  SetLastSystemError(6);
  EXPECT_EQ(IErInfo(-4), 6);
  SetLastSystemError(8);
  EXPECT_EQ(IErInfo(99), 8);
  EXPECT_EQ(IErInfo(1), 1001) << "values 2 and 3 are separate from value 1";
}

TEST_F(ErrorReport, ModeOutsideZeroToFourIsIgnored) {
  IErMode(3);
  IErMode(5);
  EXPECT_EQ(ErrorMode(), 3);
  IErMode(-1);
  EXPECT_EQ(ErrorMode(), 3);
  IErMode(0);
  EXPECT_EQ(ErrorMode(), 0);
}

TEST_F(ErrorReport, ClearErrorStateResetsModeAndValues) {
  IErMode(3);  // no status bar hook: nothing shows
  IErReport(4);
  SetGraphicsStatus(1);
  SetLastSystemError(3);
  ClearErrorState();
  EXPECT_EQ(ErrorMode(), 0);
  EXPECT_EQ(IErInfo(1), 0);
  EXPECT_EQ(IErInfo(2), 0);
  EXPECT_EQ(IErInfo(3), 0);
}

TEST_F(ErrorReport, ModeOneWritesTheLineWithALeadingBlank) {
  IErMode(1);
  ::testing::internal::CaptureStdout();
  IErReport(13);
  IErReport(6);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, " Error=  13:Operating system command error in an OS routine\n Error=   6:\n");
  EXPECT_EQ(IErInfo(1), 6);
  EXPECT_EQ(ErrorMode(), 1);
}

std::vector<std::string>* g_statusLines = nullptr;
void RecordStatus(std::string_view line) { g_statusLines->emplace_back(line); }
void StatusThatFails(std::string_view line) {
  g_statusLines->emplace_back(line);
  IErReport(1003);  // a failure inside the report
}

TEST_F(ErrorReport, ModeThreeGoesToTheStatusHook) {
  std::vector<std::string> lines;
  g_statusLines = &lines;
  ErrorOutputs outputs;
  outputs.statusLine = RecordStatus;
  SetErrorOutputs(outputs);
  IErMode(3);
  IErReport(1001);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Error=1001:Invalid menu item");
}

TEST_F(ErrorReport, ModeThreeWithoutStatusBarShowsNothing) {
  IErMode(3);
  IErReport(1001);  // no hook: dropped, no crash
  EXPECT_EQ(IErInfo(1), 1001);
  EXPECT_EQ(ErrorMode(), 3);
}

TEST_F(ErrorReport, AFailureInsideAReportIsRecordedButNotReported) {
  std::vector<std::string> lines;
  g_statusLines = &lines;
  ErrorOutputs outputs;
  outputs.statusLine = StatusThatFails;
  SetErrorOutputs(outputs);
  IErMode(3);
  IErReport(55);
  EXPECT_EQ(lines.size(), 1u) << "the inner report must not be shown";
  EXPECT_EQ(IErInfo(1), 55) << "value 1 holds the code of the outer report";
  EXPECT_EQ(ErrorMode(), 3) << "the mode is restored after the report";
}

int g_boxCalls = 0;
std::string g_boxLine;
bool BoxChoosesOk(std::string_view line) {
  ++g_boxCalls;
  g_boxLine = line;
  return false;
}

TEST_F(ErrorReport, ModeFourBoxAnsweredWithOkReturns) {
  g_boxCalls = 0;
  ErrorOutputs outputs;
  outputs.libraryBox = BoxChoosesOk;
  SetErrorOutputs(outputs);
  IErMode(4);
  IErReport(1034);
  EXPECT_EQ(g_boxCalls, 1);
  EXPECT_EQ(g_boxLine, "Error=1034:External process timed out before completion");
  EXPECT_EQ(IErInfo(1), 1034);
  EXPECT_EQ(ErrorMode(), 4);
}

// ---------------------------------------------------------------- debug file

class DebugFile : public ErrorReport {
 protected:
  void SetUp() override {
    ErrorReport::SetUp();
    previous_ = fs::current_path();
    fs::current_path(folder_.Path());
  }
  void TearDown() override {
    ErrorReport::TearDown();  // closes the debug file before its folder goes
    fs::current_path(previous_);
  }
  static std::string Contents(const char* name) { return test::ReadFile(name); }
  fs::path previous_;
  test::TempFolder folder_;
};

TEST_F(DebugFile, ModeTwoCreatesDebugAndAddsLinesWithCrLf) {
  IErMode(2);
  EXPECT_FALSE(fs::exists("debug")) << "created only at the first report";
  IErReport(1);
  IErReport(6);
  EXPECT_EQ(Contents("debug"), "Error=   1:Error opening file or device\r\nError=   6:\r\n");
  EXPECT_FALSE(fs::exists("debug.txt"));
}

TEST_F(DebugFile, AnExistingDebugFileIsEmptied) {
  test::WriteFile("debug", "old contents\r\n");
  IErMode(2);
  IErReport(55);
  EXPECT_EQ(Contents("debug"), "Error=  55:Source and target file names same in copy command\r\n");
}

TEST_F(DebugFile, DebugFolderLeadsToDebugTxt) {
  fs::create_directory("debug");
  IErMode(2);
  IErReport(13);
  EXPECT_TRUE(fs::is_directory("debug"));
  EXPECT_EQ(Contents("debug.txt"), "Error=  13:Operating system command error in an OS routine\r\n");
}

TEST_F(DebugFile, ThirdNameWhenTheFirstTwoAreFolders) {
  fs::create_directory("debug");
  fs::create_directory("debug.txt");
  IErMode(2);
  IErReport(1005);
  EXPECT_EQ(Contents("debug.dat"), "Error=1005:No dialogs currently loaded\r\n");
}

TEST_F(DebugFile, CreationIsTriedOncePerRun) {
  for (const char* name : {"debug", "debug.txt", "debug.dat"}) fs::create_directory(name);
  IErMode(2);
  IErReport(2);  // lost without a message
  EXPECT_EQ(IErInfo(1), 2);
  for (const char* name : {"debug", "debug.txt", "debug.dat"}) fs::remove(name);
  IErReport(3);
  EXPECT_FALSE(fs::exists("debug")) << "no second attempt within one run";
  EXPECT_EQ(IErInfo(1), 3);
}

TEST_F(DebugFile, TheFileStaysOpenAcrossModeChanges) {
  IErMode(2);
  IErReport(1);
  IErMode(0);
  IErReport(2);  // silent
  IErMode(2);
  IErReport(3);
  EXPECT_EQ(Contents("debug"),
            "Error=   1:Error opening file or device\r\nError=   3:Error closing file or device\r\n");
}

// ---------------------------------------------------------------- ending the process

#if GTEST_HAS_DEATH_TEST
void BoxToStderr(std::string_view caption, std::string_view text) {
  std::fprintf(stderr, "%.*s#%.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}
void BoxMustNotShow(std::string_view, std::string_view) { std::_Exit(99); }
bool BoxChoosesCancel(std::string_view) { return true; }

TEST_F(ErrorReport, AbnormalExitShowsTheBoxAndEndsWithTheCode) {
  ErrorOutputs outputs;
  outputs.abnormalExitBox = BoxToStderr;
  SetErrorOutputs(outputs);
  EXPECT_EXIT(IErAbnormalExit("boom", 7), ::testing::ExitedWithCode(7),
              "Paneward#Abnormal exit \\(code 7\\) : boom");
}

TEST_F(ErrorReport, AbnormalExitCaptionIsTheApplicationName) {
  ErrorOutputs outputs;
  outputs.abnormalExitBox = BoxToStderr;
  SetErrorOutputs(outputs);
  const auto saved = Settings().applicationName;
  Settings().applicationName = "Quill app   ";
  EXPECT_EXIT(IErAbnormalExit("x", 0), ::testing::ExitedWithCode(0),
              "Quill app#Abnormal exit \\(code 0\\) : x");
  Settings().applicationName = saved;
}

TEST_F(ErrorReport, AbnormalExitWithBlankMessageShowsNoBox) {
  ErrorOutputs outputs;
  outputs.abnormalExitBox = BoxMustNotShow;
  SetErrorOutputs(outputs);
  EXPECT_EXIT(IErAbnormalExit("   ", 3), ::testing::ExitedWithCode(3), "");
}

TEST_F(ErrorReport, CancelInModeFourEndsWithCodeZeroAndNoMessage) {
  ErrorOutputs outputs;
  outputs.libraryBox = BoxChoosesCancel;
  outputs.abnormalExitBox = BoxMustNotShow;
  SetErrorOutputs(outputs);
  IErMode(4);
  EXPECT_EXIT(IErReport(1003), ::testing::ExitedWithCode(0), "");
}
#else
TEST(ErrorReportDeath, NeedsDeathTests) {
  GTEST_SKIP() << "death tests are not run on this platform";
}
#endif

}  // namespace
}  // namespace qh
