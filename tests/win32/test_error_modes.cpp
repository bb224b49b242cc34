// The window outputs of the error routine under Wine: the debug file (mode 2), the
// status line (mode 3), the "Library Error" box (mode 4) whose Cancel ends the
// program, and the abnormal-exit box. Endings run in child processes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boxes.h"
#include "core/error_state.h"
#include "layer_state.h"
#include "modal_driver.h"
#include "services/services.h"
#include "win32_test_support.h"

namespace {

using namespace qh::test;
using qh::win::Windows;

void RecordBoxAndPress(HWND box, const SeenBox& seen, int button) {
  AppendResult("box.caption", seen.caption);
  AppendResult("box.text", seen.text);
  AppendResult("box.buttons", Ids(seen.buttons));
  AppendResult("box.stopIcon", seen.icon == LoadIcon(nullptr, IDI_HAND) ? "yes" : "no");
  PressButton(box, button);
}

// --- children

TEST(ErrorChild, DISABLED_LibraryBoxCancel) {
  qh::IWnStart(" ");
  qh::IErMode(4);
  ModalDriver driver({[](HWND box, const SeenBox& seen) { RecordBoxAndPress(box, seen, IDCANCEL); }});
  qh::IErReport(55);
  AppendResult("returned", "yes");
}

TEST(ErrorChild, DISABLED_AbnormalExit) {
  qh::IWnStart(" ");
  ModalDriver driver({[](HWND box, const SeenBox& seen) { RecordBoxAndPress(box, seen, IDOK); }});
  const std::string message = Variable("QH_MESSAGE");
  qh::IErAbnormalExit(message.empty() ? "   " : message, 3);
}

struct ChildCase {
  const char* name;
  const char* test;
  std::string message;
  DWORD exitCode;
  std::vector<std::pair<std::string, std::string>> expect;
};

TEST(ErrorEndings, ProcessEndsWithItsCode) {
  const TempFolder temporary;
  const std::string folder = temporary.WithSeparator();
  const std::vector<ChildCase> cases = {
      {"Cancel in the Library Error box",
       "ErrorChild.DISABLED_LibraryBoxCancel",
       "",
       0,
       {{"box.caption", "Library Error"},
        {"box.text", "Error=  55:Source and target file names same in copy command"},
        {"box.buttons", Ids({IDOK, IDCANCEL})},
        {"returned", "<missing>"}}},
      {"abnormal exit with a message",
       "ErrorChild.DISABLED_AbnormalExit",
       "Boom",
       3,
       {{"box.caption", "Paneward"},
        {"box.text", "Abnormal exit (code 3) : Boom"},
        {"box.buttons", Ids({IDOK})},
        {"box.stopIcon", "yes"}}},
      {"abnormal exit without a message shows nothing",
       "ErrorChild.DISABLED_AbnormalExit",
       "",
       3,
       {{"box.caption", "<missing>"}}},
  };
  for (const ChildCase& c : cases) {
    const std::string out = folder + "out.txt";
    DeleteFileA(out.c_str());
    const ChildResult run =
        RunSelf(c.test, {{"QH_CHILD_OUT", out}, {"QH_MESSAGE", c.message}, {"PANEDEBUG", ""}}, folder);
    ASSERT_TRUE(run.started && run.finished) << c.name;
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
    const std::string results = ReadFile(out);
    for (const auto& [key, value] : c.expect) {
      EXPECT_EQ(ResultOf(results, key), value) << c.name << ": " << key;
    }
  }
}

// --- in process

class ErrorModes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { qh::IWnStart(" "); }
  void TearDown() override {
    qh::IErMode(0);
    qh::IErInfo(1);
  }
};

TEST_F(ErrorModes, DebugFileNamesAndLines) {
  struct Case {
    const char* name;
    bool debugIsFolder;
    const char* file;
  };
  const Case cases[] = {{"plain", false, "debug"}, {"debug is a folder", true, "debug.txt"}};
  const std::string home = CurrentFolderNow();
  for (const Case& c : cases) {
    const TempFolder temporary;
    const std::string folder = temporary.WithSeparator();
    if (c.debugIsFolder) CreateDirectoryA((folder + "debug").c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());
    qh::ResetErrorStateForTests();
    qh::InstallWindowErrorOutputs();
    qh::IErMode(2);
    qh::IErReport(1001);
    qh::IErReport(13);
    qh::IErReport(6);
    qh::ResetErrorStateForTests();  // closes the file
    qh::InstallWindowErrorOutputs();
    SetCurrentDirectoryA(home.c_str());
    EXPECT_EQ(ReadFile(folder + c.file),
              "Error=1001:Invalid menu item\r\n"
              "Error=  13:Operating system command error in an OS routine\r\n"
              "Error=   6:\r\n")
        << c.name;
  }
}

std::string StatusPart(int part) {
  char text[512] = {};
  SendMessageA(Root().statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(ErrorModes, StatusLineGoesToPartOneOfTheRootWindow) {
  // Before the root window is open there is nowhere to show it: nothing happens.
  qh::IErMode(3);
  qh::IErReport(1001);
  EXPECT_EQ(qh::IErInfo(1), 1001) << "the code is kept all the same";

  qh::IWnOpenRoot(ConverterSpec());
  const int widths[] = {3500, -1};
  qh::IWnStatusParts(2, widths);
  qh::IWnStatusText(2, "second part");
  Windows().current = 7;  // another window current: the line still goes to window 0
  qh::IErReport(1003);
  EXPECT_EQ(Windows().current, 7) << "the current window is restored";
  Windows().current = 0;
  EXPECT_EQ(StatusPart(0), "Error=1003:Invalid window handle");
  EXPECT_EQ(StatusPart(1), "second part");
  EXPECT_EQ(qh::IErInfo(1), 1003);
}

TEST_F(ErrorModes, LibraryBoxOkReturns) {
  qh::IErMode(4);
  ModalDriver driver({ModalDriver::Press(IDOK)});
  qh::IErReport(1034);
  ASSERT_EQ(driver.Seen().size(), 1u);
  const SeenBox& seen = driver.Seen()[0];
  EXPECT_EQ(seen.caption, "Library Error");
  EXPECT_EQ(seen.text, "Error=1034:External process timed out before completion");
  EXPECT_EQ(Ids(seen.buttons), Ids({IDOK, IDCANCEL}));
  EXPECT_EQ(seen.defaultButton, IDOK);
  EXPECT_EQ(seen.icon, LoadIcon(nullptr, IDI_EXCLAMATION));
  EXPECT_EQ(qh::IErInfo(1), 1034) << "the reported code, not what the box left";
  EXPECT_EQ(qh::ErrorMode(), 4) << "mode restored after the report";
}

}  // namespace
