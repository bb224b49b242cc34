// The command loop and its dispatch table: which message and command does what.
#include "converter/command_ids.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

class DispatchTest : public ConverterTest {};

TEST_F(DispatchTest, IdsWithoutAnEntryAndOtherKindsDoNothing) {
  // 40012 and 40001 are menu-bar entries, not commands.
  fake::QueueCommand(IDM_OPTION_POPUP);
  fake::QueueCommand(IDM_FILE_POPUP);
  fake::QueueCommand(0);
  fake::QueueCommand(-1);
  fake::QueueMessage(kKeyDown);
  fake::QueueMessage(kMouseButDown);
  fake::QueueMessage(kTimerExpired);
  fake::QueueCommand(IDC_HELP);  // the loop still answers afterwards

  EXPECT_EQ(RunProgram(), 0);

  for (int n = 1; n <= 7; ++n) {
    EXPECT_TRUE(SameCalls({}, CallsOfMessage(n))) << "message " << n;
  }
  EXPECT_TRUE(SameCalls({"IWnHelp(Quillhaven.hlp)"}, CallsOfMessage(8)));
  EXPECT_EQ(fake::State().messagesDelivered, 8);
}

struct ExitCase {
  const char* name;
  int kind;
  int command;
  std::vector<std::string> lastCalls;
};

class ExitTest : public ConverterTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitTest, EndsTheLoopAndStopsTheServices) {
  const ExitCase& c = GetParam();
  fake::QueueCommand(IDC_HELP);
  if (c.kind == kMenuSelect) {
    fake::QueueCommand(c.command);
  } else {
    fake::QueueMessage(c.kind);
  }
  fake::QueueCommand(IDC_HELP);  // must stay unread

  EXPECT_EQ(RunProgram(), 0);

  const auto& log = fake::State().log;
  ASSERT_GE(log.size(), c.lastCalls.size());
  EXPECT_TRUE(SameCalls(
      c.lastCalls,
      std::vector<std::string>(log.end() - static_cast<long>(c.lastCalls.size()), log.end())));
  EXPECT_EQ(fake::State().messagesDelivered, 2);
  EXPECT_EQ(fake::State().messages.size(), 1u);
  EXPECT_EQ(fake::CallsOf({"IWnStop"}).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    AllWaysOut, ExitTest,
    ::testing::Values(
        // File > Exit and the toolbar's third button close the help viewer first.
        ExitCase{"MenuExit",
                 kMenuSelect,
                 IDC_EXIT,
                 {Call("IWnGetMessage", kMenuSelect, IDC_EXIT), "IWnHelp()", "IWnStop()"}},
        ExitCase{"ToolbarExit",
                 kMenuSelect,
                 IDC_TOOLBAR_EXIT,
                 {Call("IWnGetMessage", kMenuSelect, IDC_TOOLBAR_EXIT), "IWnHelp()", "IWnStop()"}},
        // The close box leaves the help viewer open.
        ExitCase{"CloseRequest",
                 kCloseRequest,
                 0,
                 {"IWnHelp(Quillhaven.hlp)", Call("IWnGetMessage", kCloseRequest), "IWnStop()"}}),
    [](const ::testing::TestParamInfo<ExitCase>& testCase) { return std::string(testCase.param.name); });

// Help and Exit by the system's version: up to 5.x the help engine shows
// Quillhaven.hlp and Exit closes it; from Vista (6.0) on the browser shows
// Quillhaven.htm and Exit leaves the help engine alone.
struct HelpCase {
  const char* name;
  SystemVersion version;
  std::vector<std::string> calls;
};

class HelpByVersionTest : public ConverterTest, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpByVersionTest, HelpOpensTheManualTheSystemCanShow) {
  const HelpCase& c = GetParam();
  fake::State().systemVersion = c.version;
  fake::QueueCommand(IDC_HELP);
  fake::QueueCommand(IDC_EXIT);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls(c.calls, fake::CallsOf({"IWnHelp", "IWnStop"})));
}

INSTANTIATE_TEST_SUITE_P(
    Systems, HelpByVersionTest,
    ::testing::Values(
        HelpCase{"WindowsXp", {5, 1}, {"IWnHelp(Quillhaven.hlp)", "IWnHelp()", "IWnStop()"}},
        HelpCase{"Server2003", {5, 2}, {"IWnHelp(Quillhaven.hlp)", "IWnHelp()", "IWnStop()"}},
        HelpCase{"Vista", {6, 0}, {"IWnHelp(Quillhaven.htm)", "IWnStop()"}},
        HelpCase{"Windows10", {10, 0}, {"IWnHelp(Quillhaven.htm)", "IWnStop()"}}),
    [](const ::testing::TestParamInfo<HelpCase>& testCase) { return std::string(testCase.param.name); });

TEST_F(DispatchTest, NotesOptionsMoveTheCheckMarkAndTheStatusText) {
  fake::QueueCommand(IDC_APPEND_NOTES);
  fake::QueueCommand(IDC_APPEND_NOTES);
  fake::QueueCommand(IDC_IGNORE_NOTES);
  fake::QueueCommand(IDC_IGNORE_NOTES);

  EXPECT_EQ(RunProgram(), 0);

  const std::vector<std::string> append = {Call("IMnSetState", IDC_IGNORE_NOTES, kMenuChecked, 0),
                                           Call("IMnSetState", IDC_APPEND_NOTES, kMenuChecked, 1),
                                           "IWnStatusText(1, Option: Append Notes)"};
  const std::vector<std::string> ignore = {Call("IMnSetState", IDC_IGNORE_NOTES, kMenuChecked, 1),
                                           Call("IMnSetState", IDC_APPEND_NOTES, kMenuChecked, 0),
                                           "IWnStatusText(1, Option: Ignore Notes)"};
  // Choosing the selected option again repeats the same three steps.
  EXPECT_TRUE(SameCalls(append, CallsOfMessage(1)));
  EXPECT_TRUE(SameCalls(append, CallsOfMessage(2)));
  EXPECT_TRUE(SameCalls(ignore, CallsOfMessage(3)));
  EXPECT_TRUE(SameCalls(ignore, CallsOfMessage(4)));
}

TEST_F(DispatchTest, ExposeAndResizeRepaintAnEmptyReportAsAClearArea) {
  fake::QueueMessage(kExpose);
  fake::QueueMessage(kResize);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls({"IWnClear()"}, CallsOfMessage(1)));
  EXPECT_TRUE(SameCalls({"IWnClear()"}, CallsOfMessage(2)));
}

}  // namespace
}  // namespace qh::test
