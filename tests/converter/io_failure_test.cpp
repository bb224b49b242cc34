// A conversion whose input or output fails ends with a message box and leaves the
// files as they were; the program itself keeps running.
#include <filesystem>

#include "converter/command_ids.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

struct FailureCase {
  const char* label;
  // Turns a good pushpin file into the failing input; empty: delete it.
  std::string (*damage)(std::string bytes);
  const char* condition;
  bool textDrawn;  // whether "Text to ... " was reached before the failure
};

class IoFailureTest : public ConverterTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(IoFailureTest, ShowsTheReasonAndAbandonsOnlyThisConversion) {
  const FailureCase& c = GetParam();
  const std::string input = Path("maps\\trip.psp");
  const std::string asc = Path("maps\\trip.asc");
  const std::string good = PushpinBytes({HomePin(), HomePin(u"Work"), HomePin(u"Shop")});
  WriteFile(input, good);
  WriteFile(asc, "earlier result\r\n");

  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE, [&] {
    if (c.damage == nullptr) {
      std::filesystem::remove(input);
    } else {
      WriteFile(input, c.damage(good));
    }
  });
  fake::QueueCommand(IDC_HELP);  // the program still answers

  EXPECT_EQ(RunProgram(), 0);

  const std::string box = "IWnMessageBox(0,1,1," + std::string(c.condition) +
                          ", unit 10, file " + input + ",PushPin File)";
  std::vector<std::string> expected;
  if (c.textDrawn) expected.push_back("IWnOutText(100,2000,Text to ... " + asc + ")");
  const std::vector<std::string> save = CallsOfMessage(2);
  // Pins read before the failure ask for the notes choice; nothing else happens.
  std::vector<std::string> withoutMenu;
  for (const std::string& call : save) {
    if (call != "IMnGetState(40013,2)") withoutMenu.push_back(call);
  }
  expected.push_back(box);
  EXPECT_TRUE(SameCalls(expected, withoutMenu));
  EXPECT_TRUE(fake::CallsOf({"IOsFileCopy", "IOsExecute"}).empty());
  EXPECT_EQ(ReadFile(asc), "earlier result\r\n");
  EXPECT_FALSE(Exists(asc + ".tmp"));
  EXPECT_FALSE(Exists(Path("maps\\trip.bmp")));
  EXPECT_TRUE(SameCalls({"IWnHelp(Quillhaven.hlp)"}, CallsOfMessage(3)));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, IoFailureTest,
    ::testing::Values(
        FailureCase{"Missing", nullptr, "file not found", false},
        FailureCase{"ShorterThanTheHeader", [](std::string b) { return b.substr(0, 20); },
                    "end-of-file during read", true},
        FailureCase{"EndsInsideThePins", [](std::string b) { return b.substr(0, 32 + 36 + 10); },
                    "end-of-file during read", true},
        FailureCase{"EndsAfterTheSecondPin",
                    [](std::string b) { return b.substr(0, b.size() - 40); },
                    "end-of-file during read", true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.label); });

TEST_F(ConverterTest, AnAscFileThatCannotBeCreatedIsReportedAndNothingElseHappens) {
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  // The chosen output lies in a folder that does not exist.
  const std::string chosen = root_.string() + "/no such folder/out\\tour";
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueDialogAnswer(chosen);
  fake::QueueCommand(IDC_SAVE);  // the names stay; it fails the same way again

  EXPECT_EQ(RunProgram(), 0);

  const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
  ASSERT_EQ(boxes.size(), 2u);
  const std::string prefix = "IWnMessageBox(0,1,1,";
  EXPECT_EQ(boxes[0].rfind(prefix, 0), 0u) << boxes[0];
  EXPECT_NE(boxes[0].find(", unit 11, file "), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find(chosen + ".asc"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[0].substr(boxes[0].size() - 14), ",PushPin File)") << boxes[0];
  EXPECT_EQ(boxes[1], boxes[0]);
  EXPECT_TRUE(fake::CallsOf({"IOsFileCopy", "IOsExecute"}).empty());
  EXPECT_FALSE(Exists(Path("maps\\trip.asc")));
}

}  // namespace
}  // namespace qh::test
