// The progress report: what is stored, and how a repaint draws it again.
#include "converter/command_ids.h"
#include "converter/program_state.h"
#include "converter/report.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

class ReportTest : public ConverterTest {
 protected:
  std::vector<std::string> Repaint(const std::vector<std::string>& lines,
                                   const std::string& summary = "") {
    std::vector<std::string> calls = {"IWnClear()"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
      calls.push_back("IWnOutText(100," + std::to_string(1000 * (i + 1)) + "," + lines[i] + ")");
    }
    if (!summary.empty()) calls.push_back("IWnOutText(100,7000," + summary + ")");
    return calls;
  }
};

TEST_F(ReportTest, ExposeAndResizeRedrawTheFiveLinesOfOneOpenAndSave) {
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  // A local symbol draws "Using local symbol file", which is not kept.
  WriteFile(Path("maps\\default_symbol.bmp"), "local");
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueMessage(kExpose);
  fake::QueueCommand(IDC_SAVE);
  fake::QueueMessage(kExpose);
  fake::QueueMessage(kResize);

  EXPECT_EQ(RunProgram(), 0);

  const std::string reading = "Reading from ... " + input;
  EXPECT_TRUE(SameCalls(Repaint({reading}), CallsOfMessage(2)));
  const std::vector<std::string> five = {
      reading, "Text to ... " + Path("maps\\trip.asc"), "Running TomTom MakeOV2 utility",
      "Output to ... " + Path("maps\\trip.ov2"), "Symbol to ... " + Path("maps\\trip.bmp")};
  EXPECT_TRUE(SameCalls(Repaint(five, "1 point in trip.ov2"), CallsOfMessage(4)));
  EXPECT_TRUE(SameCalls(Repaint(five, "1 point in trip.ov2"), CallsOfMessage(5)));
}

TEST_F(ReportTest, ASecondConversionShowsItsOwnLinesInOrder) {
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_SAVE);
  fake::QueueMessage(kExpose);
  fake::QueueCommand(IDC_OPEN);  // a new Open starts the report again
  fake::QueueDialogAnswer(input);
  fake::QueueMessage(kExpose);

  EXPECT_EQ(RunProgram(), 0);

  // The second conversion starts again below the input's line, and a repaint shows
  // the same five lines in the order they happened.
  const std::string reading = "Reading from ... " + input;
  const std::vector<std::string> five = {
      reading, "Text to ... " + Path("maps\\trip.asc"), "Running TomTom MakeOV2 utility",
      "Output to ... " + Path("maps\\trip.ov2"), "Symbol to ... " + Path("maps\\trip.bmp")};
  std::vector<std::string> drawn;
  for (const std::string& call : CallsOfMessage(3)) {
    if (call.rfind("IWn", 0) == 0) drawn.push_back(call);
  }
  std::vector<std::string> expected = Repaint({reading});
  for (std::size_t i = 1; i < five.size(); ++i) {
    expected.push_back("IWnOutText(100," + std::to_string(1000 * (i + 1)) + "," + five[i] + ")");
  }
  expected.push_back("IWnOutText(100,7000,1 point in trip.ov2)");
  EXPECT_TRUE(SameCalls(expected, drawn));
  EXPECT_TRUE(SameCalls(Repaint(five, "1 point in trip.ov2"), CallsOfMessage(4)));
  EXPECT_TRUE(SameCalls(Repaint({"Reading from ... " + input}), CallsOfMessage(6)));
}

TEST(ReportLinesTest, StoresAtMostFiveLinesCutTo128Characters) {
  ReportLines report;
  EXPECT_EQ(report.Count(), 0);
  const std::string longLine(200, 'x');
  report.Append(longLine);
  ASSERT_EQ(report.Count(), 1);
  EXPECT_EQ(report.Line(1).View(), std::string(128, 'x'));

  report.Append("short");
  EXPECT_EQ(report.Line(2).View(), "short" + std::string(123, ' '));

  for (int i = 3; i <= 7; ++i) report.Append("line " + std::to_string(i));
  ASSERT_EQ(report.Count(), 5);
  const char* expected[] = {"line 3", "line 4", "line 5", "line 6", "line 7"};
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(report.Line(i).Trim(), expected[i - 1]) << "line " << i;
  }

  report.Clear();
  EXPECT_EQ(report.Count(), 0);
  report.Append("again");
  EXPECT_EQ(report.Count(), 1);
  EXPECT_EQ(report.Line(1).Trim(), "again");
}

TEST_F(ReportTest, ALongLineIsDrawnInFullButRepaintedCut) {
  ProgramState state;
  const std::string longLine = "Reading from ... " + std::string(150, 'p');
  AddReportLine(state, ReportRow::Reading, longLine);
  RepaintReport(state);
  EXPECT_TRUE(SameCalls({"IWnOutText(100,1000," + longLine + ")", "IWnClear()",
                         "IWnOutText(100,1000," + longLine.substr(0, 128) + ")"},
                        fake::State().log));
}

// A line wider than the window loses the middle of its path, drawn and repainted alike;
// the file name stays whole, and a line without a path or that fits is drawn as is.
TEST_F(ReportTest, ALineWiderThanTheWindowLosesTheMiddleOfItsPath) {
  fake::State().characterWidth = 200;  // 49 characters fit in 9999 - 200 units
  ProgramState state;
  const std::string path = "D:\\maps\\europe\\poland\\lodz\\2026\\trips.psp";
  AddReportLine(state, ReportRow::Reading, "Reading from ... " + path);
  AddReportLine(state, ReportRow::Running, "Running TomTom MakeOV2 utility");
  RepaintReport(state);
  const std::string fitted = "Reading from ... D:\\...\\lodz\\2026\\trips.psp";  // 44
  EXPECT_TRUE(SameCalls({"IWnOutText(100,1000," + fitted + ")",
                         "IWnOutText(100,3000,Running TomTom MakeOV2 utility)", "IWnClear()",
                         "IWnOutText(100,1000," + fitted + ")",
                         "IWnOutText(100,2000,Running TomTom MakeOV2 utility)"},
                        fake::State().log));
  // A name too long to fit keeps the name whole all the same.
  EXPECT_EQ(FitReportLine("Text to ... D:\\a\\" + std::string(60, 'n') + ".asc"),
            "Text to ... " + std::string(60, 'n') + ".asc");
}

}  // namespace
}  // namespace qh::test
