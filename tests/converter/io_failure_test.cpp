// A conversion whose input or output fails ends with a message box and leaves the
// files as they were; the program itself keeps running.
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>

#include "converter/command_ids.h"
#include "tests/converter/converter_fixture.h"
#include "tests/support/faulty_file_calls.h"

namespace qh::test {
namespace {


struct FailureCase {
  const char* label;
  // Turns a good pushpin file into the failing input; empty: delete it.
  std::string (*damage)(std::string bytes);
  const char* condition;
  bool textDrawn;  // whether "Text to ... " was reached before the failure
  int refusedWith = 0;  // the errno with which the system refuses to open the input
};

class IoFailureTest : public ConverterTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(IoFailureTest, ShowsTheReasonAndAbandonsOnlyThisConversion) {
  const FailureCase& c = GetParam();
  const std::string input = Path("maps\\trip.psp");
  const std::string asc = Path("maps\\trip.asc");
  const std::string good = PushpinBytes({HomePin(), HomePin(u"Work"), HomePin(u"Shop")});
  WriteFile(input, good);
  WriteFile(asc, "earlier result\r\n");

  std::optional<FaultyFileCalls> refusal;
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE, [&] {
    if (c.damage == nullptr) {
      std::filesystem::remove(input);
    } else {
      WriteFile(input, c.damage(good));
    }
    if (c.refusedWith != 0) {
      refusal.emplace(FaultPlan{.refused = FileCall::kOpenRead, .nth = 1, .error = c.refusedWith});
    }
  });
  fake::QueueCommand(IDC_HELP);  // the program still answers

  EXPECT_EQ(RunProgram(), 0);

  const std::string box = "IWnMessageBox(0,1,1," + std::string(c.condition) + ", unit 10, file " +
                          input + ",PushPin File)";
  std::vector<std::string> expected;
  if (c.textDrawn) expected.push_back("IWnOutText(100,2000,Text to ... " + asc + ")");
  const std::vector<std::string> save = CallsOfMessage(2);
  // Pins read before the failure ask for the notes choice; nothing else happens.
  std::vector<std::string> withoutMenu;
  for (const std::string& call : save) {
    if (call != Call("IMnGetState", IDC_APPEND_NOTES, kMenuChecked)) withoutMenu.push_back(call);
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
    ::testing::Values(FailureCase{"Missing", nullptr, "file not found", false},
                      FailureCase{"ShorterThanTheHeader",
                                  [](std::string b) { return b.substr(0, 20); },
                                  "end-of-file during read", true},
                      FailureCase{"EndsInsideThePins",
                                  [](std::string b) { return b.substr(0, 32 + 36 + 10); },
                                  "end-of-file during read", true},
                      FailureCase{"EndsAfterTheSecondPin",
                                  [](std::string b) { return b.substr(0, b.size() - 40); },
                                  "end-of-file during read", true},
                      FailureCase{"Refused", [](std::string b) { return b; }, "access denied",
                                  false, EACCES}),
    [](const ::testing::TestParamInfo<FailureCase>& testCase) {
      return std::string(testCase.param.label);
    });

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

// What the files say decides the report: an overlay written by this run is reported as
// output whatever the status, with a warning for points left out or a status the counts
// do not explain; without one the stop box says so and the earlier overlay stays.
struct UtilityCase {
  const char* label;
  int exitCode;
  bool writesOverlay;
  double latitudeDegrees;  // 1e4 does not fit the .asc columns
  const char* stopBox;     // a part of the stop box's text; empty: no stop box
  const char* warningBox;  // a part of the warning box's text; empty: none
};

class UtilityOutcomeTest : public ConverterTest,
                           public ::testing::WithParamInterface<UtilityCase> {};

TEST_P(UtilityOutcomeTest, OnlyAMadeOverlayIsReported) {
  const UtilityCase& c = GetParam();
  const std::string input = Path("maps\\trip.psp");
  const std::string ov2 = Path("maps\\trip.ov2");
  StoredPin far = HomePin(u"Far");
  far.latitudeRadians = c.latitudeDegrees * kRadiansPerDegree;
  WriteFile(input, PushpinBytes({HomePin(), far}));
  WriteFile(ov2, "earlier overlay");
  std::filesystem::last_write_time(
      ov2, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  fake::State().utilityExitCode = c.exitCode;
  fake::State().utilityWritesOverlay = c.writesOverlay;
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);

  const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
  auto drawnAt = [](std::string_view y) {
    int count = 0;
    for (const std::string& call : fake::CallsOf({"IWnOutText"})) {
      count += call.rfind("IWnOutText(100," + std::string(y) + ",", 0) == 0;
    }
    return count;
  };
  std::size_t expectedBoxes = 0;
  for (const auto& [part, icon] : {std::pair{c.stopBox, 1}, std::pair{c.warningBox, 3}}) {
    if (*part == '\0') continue;
    ASSERT_LT(expectedBoxes, boxes.size());
    const std::string& box = boxes[expectedBoxes++];
    EXPECT_EQ(box.rfind("IWnMessageBox(0," + std::to_string(icon) + ",1,", 0), 0u) << box;
    EXPECT_NE(box.find(part), std::string::npos) << box;
  }
  EXPECT_EQ(boxes.size(), expectedBoxes);
  if (*c.stopBox != '\0') {
    EXPECT_NE(boxes[0].find(ov2), std::string::npos) << "the box names the overlay";
    EXPECT_EQ(drawnAt("4000"), 0) << "no Output to ... line after a failed run";
    EXPECT_EQ(drawnAt("5000"), 0);
    if (!c.writesOverlay) {
      EXPECT_EQ(ReadFile(ov2), "earlier overlay");
    }
  } else {
    EXPECT_EQ(drawnAt("4000"), 1);
    EXPECT_EQ(drawnAt("7000"), 1) << "the summary line";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, UtilityOutcomeTest,
    ::testing::Values(
        UtilityCase{"Made", 0, true, 10, "", ""},
        UtilityCase{"FailedStatus", 2, false, 10, "status 2 and wrote no overlay", ""},
        UtilityCase{"StatusZeroButNoOverlay", 0, false, 10, "status 0 and wrote no overlay", ""},
        UtilityCase{"NotRun", -1, false, 10, "could not be run", ""},
        UtilityCase{"FailedStatusKeepsTheEarlier", 1, false, 95,
                    "status 1 and wrote no overlay.\rThe earlier overlay is kept as it was.", ""},
        UtilityCase{"UnexplainedStatusOne", 1, true, 10, "",
                    "wrote the overlay but ended with status 1; some points may be missing"},
        UtilityCase{"LeftOutButStatusZero", 0, true, 95, "", "1 point was left out"},
        UtilityCase{"PointThatDidNotFit", 1, true, 1e4, "",
                    "1 point was left out of the overlay: its longitude or latitude, after "
                    "the offsets, is not on the Earth."},
        UtilityCase{"PointBeyondThePole", 1, true, 90.00001, "", "1 point was left out"}),
    [](const ::testing::TestParamInfo<UtilityCase>& testCase) {
      return std::string(testCase.param.label);
    });

// A name the services could not copy or run is told before anything is written.
TEST_F(ConverterTest, ANameTooLongForTheServicesIsToldAndNothingIsWritten) {
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  const std::string longName = Path("maps\\" + std::string(160, 'x'));
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueDialogAnswer(longName);
  EXPECT_EQ(RunProgram(), 0);
  const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("The path is too long"), std::string::npos) << boxes[0];
  EXPECT_TRUE(fake::CallsOf({"IOsFileCopy", "IOsExecute"}).empty());
  for (const std::string& call : fake::CallsOf({"IWnOutText"})) {
    EXPECT_EQ(call.find("Text to"), std::string::npos) << call;
  }
  EXPECT_FALSE(Exists(longName + ".asc"));
}

// A disk that fills at any byte of the ".asc" file: the box names the file and why, the earlier file stays byte for byte, no temporary file is left
// and the utility is not run; with room for every byte the conversion goes through.
TEST_F(ConverterTest, ADiskThatFillsAtAnyByteOfTheAscKeepsTheEarlierFile) {
  const std::string input = Path("maps\\trip.psp");
  const std::string asc = Path("maps\\trip.asc");
  WriteFile(input, PushpinBytes({HomePin(), HomePin(u"Work"), HomePin(u"Shop")}));
  std::size_t size = 0;
  for (std::size_t capacity = 0;; ++capacity) {
    fake::Reset();
    fake::State().argument0 = Path("prog\\Quillhaven.exe");
    WriteFile(asc, "earlier result\r\n");
    fake::QueueCommand(IDC_OPEN);
    fake::QueueDialogAnswer(input);
    fake::QueueCommand(IDC_SAVE);
    {
      const FaultyFileCalls disk({.capacity = capacity});
      ASSERT_EQ(RunProgram(), 0);
      if (!disk.Struck()) size = disk.BytesWritten();
    }
    const std::string what = "full after " + std::to_string(capacity) + " bytes";
    const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
    if (size > 0) {  // everything fitted: the run that ends the loop
      EXPECT_TRUE(boxes.empty()) << what << ": " << testing::PrintToString(boxes);
      EXPECT_EQ(ReadFile(asc).size(), size) << what;
      EXPECT_EQ(fake::CallsOf({"IOsExecute"}).size(), 1u) << what;
      break;
    }
    EXPECT_TRUE(SameCalls({Call("IWnMessageBox", 0, kIconStop, 1,
                                std::string("error during write (") + std::strerror(ENOSPC) +
                                    "), unit 11, file " + asc,
                                "PushPin File")},
                          boxes)) << what;
    EXPECT_EQ(ReadFile(asc), "earlier result\r\n") << what;
    EXPECT_EQ(FilesIn("maps\\"), 2) << what << ": a temporary file was left";
    EXPECT_TRUE(fake::CallsOf({"IOsFileCopy", "IOsExecute"}).empty()) << what;
    if (HasFailure()) return;
  }
  EXPECT_GT(size, 60u);
}

}  // namespace
}  // namespace qh::test
