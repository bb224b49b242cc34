// Option > Offsets and Help > About: the order of the dialog calls, what the offsets
// dialog leaves in "offsets.txt" and the status bar, and the About text.
#include <cerrno>
#include <filesystem>

#include "quillhaven_version.h"

#include "converter/command_ids.h"
#include "formats/offsets_file.h"
#include "tests/converter/converter_fixture.h"
#include "tests/support/faulty_file_calls.h"

namespace qh::test {
namespace {

class OffsetsDialogTest : public ConverterTest {
 protected:
  std::string OffsetsPath() const { return ProgramFolder() + "offsets.txt"; }

  // Starts the program, runs Option > Offsets once per edit map given, and ends.
  void RunOffsetsDialog(const std::vector<std::map<int, std::string>>& edits) {
    for (const auto& fields : edits) {
      fake::QueueCommand(IDC_OFFSETS);
      fake::QueueDialogEdits(fields);
    }
    ASSERT_EQ(RunProgram(), 0);
  }
};

TEST_F(OffsetsDialogTest, CallsInTheirOrderAndTheNewValuesWrittenAndShown) {
  RunOffsetsDialog({{{IDF_LONGITUDE, "1.25"}, {IDF_LATITUDE, "-0.5"}}});
  EXPECT_TRUE(
      SameCalls({Call("IDlLoad", IDD_OFFSETS), Call("IDlCheckOnOk", 0),
                 Call("IDlPutReal", IDF_LATITUDE, "0", "(F10.5)"),
                 Call("IDlPutReal", IDF_LONGITUDE, "0", "(F10.5)"),
                 Call("IDlShow", -1, -1, 0, kDialogModal), Call("IDlInfo", kInfoExitButton),
                 Call("IDlGetReal", IDF_LATITUDE), Call("IDlGetReal", IDF_LONGITUDE), "IDlUnload()",
                 "IWnStatusText(2, Longitude, Latitude offsets (degrees):  1.25000, -0.50000)"},
                CallsOfMessage(1)));
  // The fields were put without their leading blanks before the dialog showed.
  ASSERT_EQ(fake::State().shownFields.size(), 1u);
  EXPECT_EQ(fake::State().shownFields[0][IDF_LATITUDE], "0.00000");
  EXPECT_EQ(fake::State().shownFields[0][IDF_LONGITUDE], "0.00000");
  EXPECT_EQ(ReadFile(OffsetsPath()), "    1.250000     -0.5000000    \r\n");
  EXPECT_TRUE(fake::State().reportedCodes.empty());
}

TEST_F(OffsetsDialogTest, TheLoadedOffsetsGoIntoTheFieldsLatitudeFirst) {
  WriteFile(OffsetsPath(), "0.001,-2.5");
  RunOffsetsDialog({{}});
  EXPECT_TRUE(
      SameCalls({Call("IDlLoad", IDD_OFFSETS), Call("IDlPutReal", IDF_LATITUDE, "-2.5", "(F10.5)"),
                 Call("IDlPutReal", IDF_LONGITUDE, "0.001", "(F10.5)")},
                fake::CallsOf({"IDlLoad", "IDlPutReal"})));
  ASSERT_EQ(fake::State().shownFields.size(), 1u);
  EXPECT_EQ(fake::State().shownFields[0][IDF_LATITUDE], "-2.50000");
  EXPECT_EQ(fake::State().shownFields[0][IDF_LONGITUDE], "0.00100");
}

TEST_F(OffsetsDialogTest, FileRewrittenOnEveryUseAndFollowsTheLast) {
  WriteFile(OffsetsPath(), "0.001,-0.002");
  const std::string handTyped = ReadFile(OffsetsPath());
  // First use: OK without changes still replaces the hand-typed layout.
  fake::QueueCommand(IDC_OFFSETS, [] {});
  fake::QueueDialogEdits({});
  std::string afterFirst;
  fake::QueueCommand(IDC_OFFSETS, [&] { afterFirst = ReadFile(OffsetsPath()); });
  fake::QueueDialogEdits({{IDF_LONGITUDE, "2.5E1"}, {IDF_LATITUDE, "3"}});
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_NE(afterFirst, handTyped);
  EXPECT_EQ(afterFirst, "   0.1000000E-02 -0.2000000E-02\r\n");
  EXPECT_EQ(ReadFile(OffsetsPath()), "    25.00000       3.000000    \r\n");
  // No temporary file is left beside it.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root_)) {
    if (entry.path().filename().string().find("offsets") != std::string::npos) ++files;
  }
  EXPECT_EQ(files, 1) << "files named like offsets* in " << root_;
}

// A field that is empty or not a number never becomes an offset: the dialog comes
// back with the focus on that field after a box that names it, and closing it without
// OK keeps the offsets and the file as they were.
struct RefusedEditCase {
  const char* label;
  std::map<int, std::string> fieldTexts;
  int exitButton;
  const char* namedField;  // in the box after OK; empty: no box
  int refocused;           // the focus field when the dialog comes back
};

class RefusedOffsetsTest : public OffsetsDialogTest,
                           public ::testing::WithParamInterface<RefusedEditCase> {};

TEST_P(RefusedOffsetsTest, NothingIsStored) {
  const RefusedEditCase& c = GetParam();
  WriteFile(OffsetsPath(), "0.25,-0.5");
  const std::string before = ReadFile(OffsetsPath());
  fake::QueueCommand(IDC_OFFSETS);
  // After this edit the fake closes the dialog without OK.
  fake::QueueDialogEdits(c.fieldTexts, c.exitButton);
  ASSERT_EQ(RunProgram(), 0);

  EXPECT_EQ(ReadFile(OffsetsPath()), before);
  EXPECT_EQ(fake::State().statusParts[2],
            " Longitude, Latitude offsets (degrees):  0.25000, -0.50000");
  const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
  const std::vector<std::string> shows = fake::CallsOf({"IDlShow"});
  if (*c.namedField == '\0') {
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(shows.size(), 1u);
    return;
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(c.namedField), std::string::npos) << boxes[0];
  ASSERT_EQ(shows.size(), 2u);
  EXPECT_EQ(shows[1], Call("IDlShow", -1, -1, c.refocused, kDialogModal));
  // The user's text is still there when the dialog comes back.
  for (const auto& [id, text] : c.fieldTexts) EXPECT_EQ(fake::State().shownFields[1][id], text);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RefusedOffsetsTest,
    ::testing::Values(
        RefusedEditCase{"EmptyLatitude",
                        {{IDF_LATITUDE, ""}, {IDF_LONGITUDE, "0.5"}},
                        1,
                        "Latitude (degrees) is empty.",
                        IDF_LATITUDE},
        RefusedEditCase{"LongitudeNotANumber",
                        {{IDF_LONGITUDE, "1.2.3E"}},
                        1,
                        "Longitude (degrees) is not a number.",
                        IDF_LONGITUDE},
        RefusedEditCase{"LettersPasted", {{IDF_LATITUDE, "abc"}}, 1,
                        "Latitude (degrees) is not a number.", IDF_LATITUDE},
        RefusedEditCase{"BothWrongUpperFieldFirst",
                        {{IDF_LONGITUDE, ""}, {IDF_LATITUDE, "x"}},
                        1,
                        "Longitude (degrees) is empty.",
                        IDF_LONGITUDE},
        RefusedEditCase{"LongitudeOffTheEarth", {{IDF_LONGITUDE, "-180.00002"}}, 1,
                        "Longitude (degrees) must lie from -180 to 180 degrees.", IDF_LONGITUDE},
        RefusedEditCase{"LatitudeOffTheEarth", {{IDF_LATITUDE, "90.5"}}, 1,
                        "Latitude (degrees) must lie from -90 to 90 degrees.", IDF_LATITUDE},
        RefusedEditCase{"ClosedWithoutOk", {{IDF_LONGITUDE, "7"}, {IDF_LATITUDE, "8"}}, 2, "", 0}),
    [](const ::testing::TestParamInfo<RefusedEditCase>& testCase) {
      return std::string(testCase.param.label);
    });

// Offsets up to the width of the ".asc" columns show in full and survive OK unchanged.
TEST_F(OffsetsDialogTest, WideOffsetsShowInFullAndSurviveOk) {
  WriteFile(OffsetsPath(), "-180,-89.5");
  RunOffsetsDialog({{}});
  ASSERT_EQ(fake::State().shownFields.size(), 1u);
  EXPECT_EQ(fake::State().shownFields[0][IDF_LONGITUDE], "-180.00000");
  EXPECT_EQ(fake::State().shownFields[0][IDF_LATITUDE], "-89.50000");
  EXPECT_TRUE(fake::State().reportedCodes.empty());
  EXPECT_EQ(ReadFile(OffsetsPath()), OffsetsFileLine(-180.0f, -89.5f));
}

TEST_F(OffsetsDialogTest, TheNewOffsetsApplyToTheNextConversion) {
  const std::string input = Path("maps\\trip.psp");
  WriteFile(input, PushpinBytes({HomePin()}));
  fake::QueueCommand(IDC_OFFSETS);
  fake::QueueDialogEdits({{IDF_LONGITUDE, "1"}, {IDF_LATITUDE, "-0.25"}});
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input);
  fake::QueueCommand(IDC_SAVE);
  ASSERT_EQ(RunProgram(), 0);
  // Unshifted the pin is at -28.64789, 14.32395.
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), " -27.64789,  14.07395,\"Home\"\r\n");
}

TEST_F(OffsetsDialogTest, AFileThatCannotBeWrittenIsReportedByNameWithAFolderThatWouldDo) {
  // A folder in the way of the file: neither it nor the temporary file can take its name.
  std::filesystem::create_directories(OffsetsPath());
  WriteFile(OffsetsPath() + "/keep", "x");
  fake::State().variables["USERPROFILE"] = "C:\\Users\\ann";
  RunOffsetsDialog({{{IDF_LONGITUDE, "1"}, {IDF_LATITUDE, "2"}}});
  // The folder cannot be read at start either: that box comes first.
  const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "IWnMessageBox(0,3,1,Error when writing offset data to\r" + OffsetsPath() +
                          "\rThe offsets apply until the program ends."
                          "\rTo keep them, unpack Quillhaven into a folder of your own,"
                          "\rsuch as C:\\Users\\ann\\Documents\\Quillhaven,Offset data error)");
  EXPECT_EQ(fake::State().statusParts[2],
            " Longitude, Latitude offsets (degrees):  1.00000,  2.00000");
}

// A disk that fills at any byte of "offsets.txt", or a refused rename: the earlier file
// stays byte for byte beside the program with nothing else, and the box says so.
TEST_F(OffsetsDialogTest, AFullDiskOrARefusedRenameKeepsTheEarlierFile) {
  const std::string earlier = "0.001,-0.002";
  // Every capacity up to the one that takes the whole file, then the refused rename.
  bool filled = false;
  FaultPlan plan{.capacity = 0};
  for (int run = 0; run < 100; ++run) {
    if (filled) plan = {.refused = FileCall::kRename, .nth = 1, .error = EACCES};
    fake::Reset();
    fake::State().argument0 = ProgramFolder() + "Quillhaven.exe";
    WriteFile(OffsetsPath(), earlier);
    bool struck = false;
    {
      const FaultyFileCalls disk(plan);
      RunOffsetsDialog({{{IDF_LONGITUDE, "1"}, {IDF_LATITUDE, "2"}}});
      struck = disk.Struck();
    }
    const std::string what = plan.nth > 0 ? "rename refused" : "full after " + std::to_string(plan.capacity);
    if (!struck) {
      ASSERT_FALSE(filled) << what << " did not strike";
      filled = true;
      EXPECT_EQ(ReadFile(OffsetsPath()), "    1.000000       2.000000    \r\n") << what;
      continue;
    }
    const std::vector<std::string> boxes = fake::CallsOf({"IWnMessageBox"});
    ASSERT_EQ(boxes.size(), 1u) << what;
    EXPECT_NE(boxes[0].find("Error when writing offset data to\r" + OffsetsPath()), std::string::npos)
        << what << ": " << boxes[0];
    // Without a known profile the advice names Documents in general.
    EXPECT_NE(boxes[0].find("\rsuch as one under Documents.,"), std::string::npos) << boxes[0];
    EXPECT_EQ(ReadFile(OffsetsPath()), earlier) << what;
    EXPECT_EQ(FilesIn("prog\\"), 3) << what << ": a temporary file was left";
    if (HasFailure() || plan.nth > 0) break;
    ++plan.capacity;
  }
  EXPECT_TRUE(filled);
  EXPECT_EQ(plan.nth, 1) << "the refused rename was not tried";
}

TEST_F(ConverterTest, AboutBoxCallsAndItsPaddedText) {
  fake::QueueCommand(IDC_ABOUT);
  ASSERT_EQ(RunProgram(), 0);
  EXPECT_TRUE(SameCalls(
      {Call("IDlLoad", IDD_ABOUT),
       Call("IDlPutString", IDF_ABOUT_TEXT,
                              "Quillhaven\r\nPushpin to OV2\r\nversion " QH_VERSION_TEXT
                              "\r\n\xC2\xA9 2026 Quillhaven\r\nFree software, MIT licence"
                              "\r\nOV2 \xC2\xA9 TomTom"),
       Call("IDlShow", -1, -1, 0, kDialogModal), "IDlUnload()"},
      CallsOfMessage(1)));
  EXPECT_EQ(fake::State().lastPutStringLength, 512u);
  EXPECT_EQ(fake::State().loadedDialog, 0) << "the About box is unloaded again";
  EXPECT_TRUE(fake::State().reportedCodes.empty());
}

}  // namespace
}  // namespace qh::test
