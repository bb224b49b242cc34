// Open, Save and Save As: the dialogs, the names they settle and the files written.
#include <algorithm>
#include <filesystem>

#include "converter/command_ids.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

constexpr std::string_view kOpenFilter = "Pushpin files (*.psp)|*.psp|All files (*.*)|*.*|";
constexpr std::string_view kSaveFilter = "Overlay files (*.ov2)|*.ov2|";
// HomePin as the .asc file has it.
constexpr std::string_view kHomeLine = " -28.64789,  14.32395,\"Home\"\r\n";
constexpr std::string_view kNoInputBox = "IWnMessageBox(0,4,1,No input file selected,PushPin File)";

class OpenSaveTest : public ConverterTest {
 protected:
  // Writes a pushpin file and queues a confirmed Open of it.
  void QueueOpen(const std::string& name, const std::vector<StoredPin>& pins) {
    WriteFile(name, PushpinBytes(pins));
    fake::QueueCommand(IDC_OPEN);
    fake::QueueDialogAnswer(name);
  }

  std::vector<std::string> OpenCalls(const std::string& initialName, const std::string& shown) {
    return {"IDlSelectFile(" + std::string(kOpenFilter) + ",2," + initialName + ",Open File)",
            "IWnClear()", "IWnOutText(100,1000,Reading from ... " + shown + ")",
            Call("IDlInfo", kInfoExitState)};
  }

  // The calls of one conversion of `pins` pins into asc/ov2/bmp, with the symbol
  // beside the program.
  std::vector<std::string> ConversionCalls(const std::string& asc, const std::string& ov2,
                                           const std::string& bmp, int pins) {
    std::vector<std::string> calls = {"IWnOutText(100,2000,Text to ... " + asc + ")"};
    for (int i = 0; i < pins; ++i)
      calls.push_back(Call("IMnGetState", IDC_APPEND_NOTES, kMenuChecked));
    calls.push_back("IOsFileCopy(" + ProgramFolder() + "default_symbol.bmp," + bmp + ")");
    calls.push_back("IWnOutText(100,3000,Running TomTom MakeOV2 utility)");
    calls.push_back("IOsExecute(\"" + ProgramFolder() + "MakeOV2_v1-1.exe\" \"" + asc + "\",3)");
    calls.push_back("IOsExitCode()");
    calls.push_back("IWnOutText(100,4000,Output to ... " + ov2 + ")");
    calls.push_back("IWnOutText(100,5000,Symbol to ... " + bmp + ")");
    const std::string overlay = ov2.substr(ov2.find_last_of("\\/") + 1);
    calls.push_back("IWnOutText(100,7000," + std::to_string(pins) +
                    (pins == 1 ? " point in " : " points in ") + overlay + ")");
    return calls;
  }
};

// A pushpin file named on the command line (Explorer's "Open with") is taken before the
// first message as File > Open takes a chosen one; Save then needs no dialog.
TEST_F(OpenSaveTest, AFileNamedAtStartIsOpenedBeforeTheFirstMessage) {
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  fake::State().arguments = {input};
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);

  const auto& log = fake::State().log;
  const auto at = std::find(log.begin(), log.end(), "IOsArgument(1)");
  ASSERT_NE(at, log.end());
  EXPECT_TRUE(SameCalls({"IOsArgument(1)", "IWnClear()", "IWnOutText(100,1000,Reading from ... " + input + ")",
                         Call("IWnGetMessage", kMenuSelect, IDC_SAVE)},
                        std::vector<std::string>(at, at + 4)));
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), kHomeLine);
  EXPECT_TRUE(fake::CallsOf({"IDlSelectFile"}).empty());
}

// A name that cannot be read (missing here, a folder when dropped) gets the box a Save
// of it gets; the input stays as it was.
TEST_F(OpenSaveTest, AStartNameThatCannotBeReadGetsTheBoxAndLeavesNoInput) {
  const std::string missing = Path("maps\\gone.psp");
  fake::State().arguments = {missing};
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls(
      {"IWnMessageBox(0,1,1,file not found, unit 10, file " + missing + ",PushPin File)",
       std::string(kNoInputBox)},
      fake::CallsOf({"IWnMessageBox", "IWnClear"})));
  EXPECT_TRUE(SameCalls({std::string(kNoInputBox)}, CallsOfMessage(1)));
}

TEST_F(OpenSaveTest, ADroppedFileReplacesTheInputAndAnUnreadableOneChangesNothing) {
  const std::string first = Path("maps\\trip.psp");
  const std::string dropped = Path("other\\tour.psp");
  QueueOpen(first, {HomePin(u"Work")});
  WriteFile(dropped, PushpinBytes({HomePin()}));
  fake::QueueMessage(kFilesDropped, [&] { fake::State().droppedFile = dropped; });
  fake::QueueCommand(IDC_SAVE);
  fake::QueueMessage(kFilesDropped, [&] { fake::State().droppedFile = Path("other"); });
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueDialogAnswer(Path("other\\again"));
  EXPECT_EQ(RunProgram(), 0);

  EXPECT_TRUE(SameCalls({"IWnDroppedFile()", "IWnClear()",
                         "IWnOutText(100,1000,Reading from ... " + dropped + ")"},
                        CallsOfMessage(2)));
  EXPECT_EQ(ReadFile(Path("other\\tour.asc")), kHomeLine);
  EXPECT_FALSE(Exists(Path("maps\\trip.asc")));
  const std::vector<std::string> folder = CallsOfMessage(4);
  ASSERT_EQ(folder.size(), 2u);
  EXPECT_EQ(folder[1].rfind("IWnMessageBox(0,1,1,", 0), 0u) << folder[1];
  // The Save As after it still converts the dropped file, its overlay name offered.
  EXPECT_EQ(CallsOfMessage(5).front(),
            "IDlSelectFile(" + std::string(kSaveFilter) + ",3," + Path("other\\tour.ov2") + ",Save File)");
  EXPECT_EQ(ReadFile(Path("other\\again.asc")), kHomeLine);
}

// %APPDATA%\Quillhaven\quillhaven.ini: the notes choice and the folder of the last Open
// are written at the end of a run and taken at the start of the next.
TEST_F(OpenSaveTest, TheNextRunStartsWithTheLastOpenFolderAndNotesChoice) {
  const std::string appData = Path("appdata");
  const std::string ini = appData + "\\Quillhaven\\quillhaven.ini";
  QueueOpen(Path("maps\\trip.psp"), {HomePin()});
  fake::QueueCommand(IDC_APPEND_NOTES);
  fake::State().variables["APPDATA"] = appData;
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(ReadFile(ini),
            "[Quillhaven]\r\nOpenFolder=" + Path("maps\\") + "\r\nNotes=Append\r\n");

  fake::Reset();
  fake::State().argument0 = ProgramFolder() + "Quillhaven.exe";
  fake::State().variables["APPDATA"] = appData;
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_OPEN);
  fake::QueueCancelledDialog();
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(fake::State().checkMarks[IDC_APPEND_NOTES], 1);
  EXPECT_EQ(fake::State().checkMarks[IDC_IGNORE_NOTES], 0);
  EXPECT_EQ(fake::State().statusParts[1], " Option: Append Notes");
  // A remembered folder is no input: Save still says none is selected.
  EXPECT_TRUE(SameCalls({std::string(kNoInputBox)}, CallsOfMessage(1)));
  EXPECT_EQ(CallsOfMessage(2).front(), "IDlSelectFile(" + std::string(kOpenFilter) + ",2," +
                                           Path("maps\\") + ",Open File)");
}

TEST_F(OpenSaveTest, AnUnreadableSettingsFileMeansTheDefaultsSilently) {
  const std::string appData = Path("appdata");
  std::filesystem::create_directories(appData + "\\Quillhaven\\quillhaven.ini");
  fake::State().variables["APPDATA"] = appData;
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(fake::CallsOf({"IWnMessageBox"}).empty());
  EXPECT_EQ(fake::State().checkMarks[IDC_IGNORE_NOTES], 1);
  EXPECT_EQ(fake::State().statusParts[1], " Option: Ignore Notes");
}

TEST_F(OpenSaveTest, SaveBeforeOpenOnlyReportsThatNoInputIsSelected) {
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_SAVE_AS);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls({std::string(kNoInputBox)}, CallsOfMessage(1)));
  EXPECT_TRUE(SameCalls({std::string(kNoInputBox)}, CallsOfMessage(2)));
}

TEST_F(OpenSaveTest, SaveAfterOpenWritesBesideTheInputWithoutADialog) {
  const std::string input = Path("maps\\trip.psp");
  QueueOpen(input, {HomePin(), HomePin(u"Work")});
  fake::QueueCommand(IDC_SAVE);

  // When the utility runs, the .asc must be complete and the symbol in place.
  std::string ascAtRun, bmpAtRun;
  fake::State().onExecute = [&](std::string_view) {
    ascAtRun = ReadFile(Path("maps\\trip.asc"));
    bmpAtRun = ReadFile(Path("maps\\trip.bmp"));
  };

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_TRUE(SameCalls(OpenCalls("", input), CallsOfMessage(1)));
  EXPECT_EQ(fake::State().lastFileNameBuffer, 512u);
  EXPECT_TRUE(SameCalls(
      ConversionCalls(Path("maps\\trip.asc"), Path("maps\\trip.ov2"), Path("maps\\trip.bmp"), 2),
      CallsOfMessage(2)));
  const std::string expectedAsc = std::string(kHomeLine) + " -28.64789,  14.32395,\"Work\"\r\n";
  EXPECT_EQ(ascAtRun, expectedAsc);
  EXPECT_EQ(bmpAtRun, symbolBytes_);
  // The .asc stays on disk afterwards, and no temporary file is left beside it.
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), expectedAsc);
  EXPECT_FALSE(Exists(Path("maps\\trip.asc.tmp")));
}

TEST_F(OpenSaveTest, OpenKeepsTheCaseOfTheStemAndAddsLowerCaseExtensions) {
  const std::string input = Path("Data\\Pins.PSP");
  QueueOpen(input, {HomePin()});
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls(
      ConversionCalls(Path("Data\\Pins.asc"), Path("Data\\Pins.ov2"), Path("Data\\Pins.bmp"), 1),
      CallsOfMessage(2)));
  EXPECT_EQ(ReadFile(Path("Data\\Pins.asc")), kHomeLine);
}

struct SaveAsCase {
  const char* label;
  const char* chosen;  // below the test's root
  const char* asc;
  const char* ov2;
  const char* bmp;
};

class SaveAsNamesTest : public OpenSaveTest, public ::testing::WithParamInterface<SaveAsCase> {};

TEST_P(SaveAsNamesTest, DerivesTheThreeNamesFromTheChosenName) {
  const SaveAsCase& c = GetParam();
  QueueOpen(Path("maps\\trip.psp"), {HomePin()});
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueDialogAnswer(Path(c.chosen));
  fake::QueueCommand(IDC_SAVE);  // a later Save keeps these names, without a dialog

  EXPECT_EQ(RunProgram(), 0);

  // The dialog starts with the current overlay's name, beside the input.
  std::vector<std::string> expected = {
      "IDlSelectFile(" + std::string(kSaveFilter) + ",3," + Path("maps\\trip.ov2") + ",Save File)",
      Call("IDlInfo", kInfoExitState)};
  const std::vector<std::string> conversion =
      ConversionCalls(Path(c.asc), Path(c.ov2), Path(c.bmp), 1);
  expected.insert(expected.end(), conversion.begin(), conversion.end());
  EXPECT_TRUE(SameCalls(expected, CallsOfMessage(2)));
  // The report starts again below the input's line for the second conversion.
  std::vector<std::string> again = {
      "IWnClear()", "IWnOutText(100,1000,Reading from ... " + Path("maps\\trip.psp") + ")"};
  again.insert(again.end(), conversion.begin(), conversion.end());
  EXPECT_TRUE(SameCalls(again, CallsOfMessage(3)));
  EXPECT_EQ(ReadFile(Path(c.asc)), kHomeLine);
  EXPECT_EQ(ReadFile(Path(c.bmp)), symbolBytes_);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveAsNamesTest,
    ::testing::Values(SaveAsCase{"NoExtension", "out\\tour", "out\\tour.asc", "out\\tour.ov2",
                                 "out\\tour.bmp"},
                      SaveAsCase{"Ov2Extension", "out\\tour.ov2", "out\\tour.asc", "out\\tour.ov2",
                                 "out\\tour.bmp"},
                      // Only a final ".ov2" gives way: dots elsewhere stay.
                      SaveAsCase{"DotInFolder", "out.old\\tour", "out.old\\tour.asc",
                                 "out.old\\tour.ov2", "out.old\\tour.bmp"},
                      SaveAsCase{"DotInName", "out\\route v1.2", "out\\route v1.2.asc",
                                 "out\\route v1.2.ov2", "out\\route v1.2.bmp"}),
    [](const ::testing::TestParamInfo<SaveAsCase>& testCase) { return std::string(testCase.param.label); });

TEST_F(OpenSaveTest, CancelledFirstOpenDrawsAnEmptyNameAndLeavesNoInput) {
  fake::QueueCommand(IDC_OPEN);
  fake::QueueCancelledDialog();
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(
      SameCalls({"IDlSelectFile(" + std::string(kOpenFilter) + ",2,,Open File)", "IWnClear()",
                 "IWnOutText(100,1000,Reading from ...)", Call("IDlInfo", kInfoExitState)},
                CallsOfMessage(1)));
  EXPECT_TRUE(SameCalls({std::string(kNoInputBox)}, CallsOfMessage(2)));
}

TEST_F(OpenSaveTest, CancelledOpenAfterAnOpenShowsTheOldNameButClearsTheInput) {
  const std::string input = Path("maps\\trip.psp");
  QueueOpen(input, {HomePin()});
  fake::QueueCommand(IDC_OPEN);
  fake::QueueCancelledDialog();
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls(OpenCalls(input, input), CallsOfMessage(2)));
  EXPECT_TRUE(SameCalls({std::string(kNoInputBox)}, CallsOfMessage(3)));
  EXPECT_FALSE(Exists(Path("maps\\trip.asc")));
}

TEST_F(OpenSaveTest, CancelledSaveAsTouchesNothing) {
  const std::string input = Path("maps\\trip.psp");
  QueueOpen(input, {HomePin()});
  WriteFile(Path("maps\\trip.asc"), "earlier");
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueCancelledDialog();
  fake::QueueMessage(kExpose);

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_TRUE(SameCalls(
      {"IDlSelectFile(" + std::string(kSaveFilter) + ",3," + Path("maps\\trip.ov2") + ",Save File)",
       Call("IDlInfo", kInfoExitState)},
      CallsOfMessage(2)));
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), "earlier");
  EXPECT_FALSE(Exists(Path("maps\\trip.bmp")));
  // The report still holds only the Open line.
  EXPECT_TRUE(SameCalls({"IWnClear()", "IWnOutText(100,1000,Reading from ... " + input + ")"},
                        CallsOfMessage(3)));
}

TEST_F(OpenSaveTest, SaveOfAnInputWithoutFolderAsksForTheOutput) {
  // A chosen name without a backslash leaves no folder to save into, so even Save
  // shows the dialog; the names of the Open are bare "asc", "ov2", "bmp" here.
  WriteFile("trip.psp", PushpinBytes({HomePin()}));
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer("trip.psp");
  fake::QueueCommand(IDC_SAVE);
  fake::QueueDialogAnswer(Path("out\\tour"));
  EXPECT_EQ(RunProgram(), 0);

  const std::vector<std::string> save = CallsOfMessage(2);
  ASSERT_FALSE(save.empty());
  EXPECT_EQ(save.front(), "IDlSelectFile(" + std::string(kSaveFilter) + ",3,trip.ov2,Save File)");
  EXPECT_EQ(ReadFile(Path("out\\tour.asc")), kHomeLine);
}

TEST_F(OpenSaveTest, ConvertingTwiceGivesTheSameFile) {
  const std::string input = Path("maps\\trip.psp");
  QueueOpen(input, {HomePin(), HomePin(u"Work")});
  std::string first;
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_SAVE, [&] { first = ReadFile(Path("maps\\trip.asc")); });
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), first);
  EXPECT_EQ(fake::CallsOf({"IOsExecute"}).size(), 2u);
}

}  // namespace
}  // namespace qh::test
