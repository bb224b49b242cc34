// One conversion in detail: the notes choice, the symbol bitmap, the utility run.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "converter/command_ids.h"
#include "core/error_codes.h"
#include "tests/converter/converter_fixture.h"

namespace qh::test {
namespace {

class ConversionTest : public ConverterTest {
 protected:
  void SetUp() override {
    ConverterTest::SetUp();
    input_ = Path("maps\\trip.psp");
  }

  void QueueOpenOf(const std::vector<StoredPin>& pins) {
    WriteFile(input_, PushpinBytes(pins));
    fake::QueueCommand(IDC_OPEN);
    fake::QueueDialogAnswer(input_);
  }

  static StoredPin NotedPin() {
    StoredPin pin = HomePin(u"A");
    pin.note1 = u"B";
    pin.note2 = u"C";
    return pin;
  }

  std::string input_;
};

TEST_F(ConversionTest, TheNotesChoiceDecidesEachPinsText) {
  QueueOpenOf({NotedPin(), NotedPin()});
  std::string ignored;
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_APPEND_NOTES, [&] { ignored = ReadFile(Path("maps\\trip.asc")); });
  fake::QueueCommand(IDC_SAVE);

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_EQ(ignored, " -28.64789,  14.32395,\"A\"\r\n -28.64789,  14.32395,\"A\"\r\n");
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")),
            " -28.64789,  14.32395,\"ABC\"\r\n -28.64789,  14.32395,\"ABC\"\r\n");
}

TEST_F(ConversionTest, TheMenuIsAskedOncePerPinAndEveryAnswerCounts) {
  QueueOpenOf({NotedPin(), NotedPin(), NotedPin()});
  fake::QueueCommand(IDC_SAVE);
  // The check mark moves to Append Notes after the first pin has asked.
  int asked = 0;
  fake::State().beforeGetState = [&](int) {
    if (++asked == 2) fake::State().checkMarks[IDC_APPEND_NOTES] = 1;
  };

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_TRUE(SameCalls({Call("IMnGetState", IDC_APPEND_NOTES, kMenuChecked),
                         Call("IMnGetState", IDC_APPEND_NOTES, kMenuChecked),
                         Call("IMnGetState", IDC_APPEND_NOTES, kMenuChecked)},
                        fake::CallsOf({"IMnGetState"})));
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")),
            " -28.64789,  14.32395,\"A\"\r\n"
            " -28.64789,  14.32395,\"ABC\"\r\n"
            " -28.64789,  14.32395,\"ABC\"\r\n");
}

TEST_F(ConversionTest, ALocalSymbolIsPreferredAndAnnounced) {
  QueueOpenOf({HomePin()});
  WriteFile(Path("maps\\default_symbol.bmp"), "local symbol");
  fake::QueueCommand(IDC_SAVE);

  EXPECT_EQ(RunProgram(), 0);

  const std::vector<std::string> calls = CallsOfMessage(2);
  const std::vector<std::string> expected = {
      "IWnOutText(100,2000,Text to ... " + Path("maps\\trip.asc") + ")",
      Call("IMnGetState", IDC_APPEND_NOTES, kMenuChecked),
      "IOsFileCopy(" + Path("maps\\default_symbol.bmp") + "," + Path("maps\\trip.bmp") + ")",
      "IWnOutText(100,6000,Using local symbol file)",
      "IWnOutText(100,3000,Running TomTom MakeOV2 utility)",
      "IOsExecute(\"" + ProgramFolder() + "MakeOV2_v1-1.exe\" \"" + Path("maps\\trip.asc") +
          "\",3)",
      "IOsExitCode()",
      "IWnOutText(100,4000,Output to ... " + Path("maps\\trip.ov2") + ")",
      "IWnOutText(100,5000,Symbol to ... " + Path("maps\\trip.bmp") + ")",
      "IWnOutText(100,7000,1 point in trip.ov2)"};
  EXPECT_TRUE(SameCalls(expected, calls));
  EXPECT_EQ(ReadFile(Path("maps\\trip.bmp")), "local symbol");
}

TEST_F(ConversionTest, AnOutputNamedLikeTheLocalSymbolCopiesOntoItselfAndGoesOn) {
  QueueOpenOf({HomePin()});
  WriteFile(Path("maps\\default_symbol.bmp"), "local symbol");
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueDialogAnswer(Path("maps\\default_symbol"));

  EXPECT_EQ(RunProgram(), 0);

  const std::string local = Path("maps\\default_symbol.bmp");
  EXPECT_TRUE(
      SameCalls({"IOsFileCopy(" + local + "," + local + ")"}, fake::CallsOf({"IOsFileCopy"})));
  EXPECT_EQ(fake::State().reportedCodes, std::vector<int>{kErrSameCopyNames});
  EXPECT_EQ(ReadFile(local), "local symbol");
  EXPECT_EQ(fake::CallsOf({"IOsExecute"}).size(), 1u);
  EXPECT_TRUE(fake::CallsOf({"IWnMessageBox"}).empty()) << "the bitmap is in place";
}

// A symbol that cannot be copied is told in a warning; the overlay is still made, and
// the report claims no symbol. First the program's symbol is missing, then the
// bitmap's name is taken by a folder.
TEST_F(ConversionTest, AFailedSymbolCopyIsToldAndDoesNotStopTheUtility) {
  const std::string programSymbol = Path("prog\\default_symbol.bmp");
  std::filesystem::remove(programSymbol);
  QueueOpenOf({HomePin()});
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_SAVE, [&] {
    WriteFile(programSymbol, symbolBytes_);
    std::filesystem::create_directories(Path("maps\\trip.bmp"));
  });
  EXPECT_EQ(RunProgram(), 0);

  EXPECT_EQ(fake::State().reportedCodes, (std::vector<int>{kErrOsCommand, kErrOsCommand}));
  EXPECT_EQ(fake::CallsOf({"IOsExecute"}).size(), 2u);
  const std::string box = "IWnMessageBox(0,3,1,The symbol bitmap was not copied:\r" +
                          Path("maps\\trip.bmp") + "\rCopying " + programSymbol;
  const std::string advice =
      ".\rPut a bitmap of that name beside the overlay before you copy both to the device.,"
      "PushPin File)";
  EXPECT_TRUE(SameCalls({box + " failed: that file is not there" + advice, box + " failed" + advice},
                        fake::CallsOf({"IWnMessageBox"})));
  for (const std::string& line : fake::CallsOf({"IWnOutText"})) {
    EXPECT_EQ(line.find("Symbol to"), std::string::npos) << line;
  }
  EXPECT_EQ(fake::CallsOf({"IWnOutText"}).back(), "IWnOutText(100,7000,1 point in trip.ov2)");
}

TEST_F(ConversionTest, NoPinsStillWritesAnEmptyFilePlacesTheSymbolAndRunsTheUtility) {
  QueueOpenOf({});
  WriteFile(Path("maps\\trip.asc"), "from an earlier run\r\n");
  fake::QueueCommand(IDC_SAVE);

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_TRUE(fake::CallsOf({"IMnGetState"}).empty());
  EXPECT_EQ(fake::CallsOf({"IOsFileCopy"}).size(), 1u);
  EXPECT_EQ(fake::CallsOf({"IOsExecute"}).size(), 1u);
  EXPECT_TRUE(Exists(Path("maps\\trip.asc")));
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), "");
}

// A negative count is no pushpin file: told by name, nothing written, nothing run.
TEST_F(ConversionTest, ANegativePinCountIsNotAPushpinFile) {
  WriteFile(input_, PushpinBytes({HomePin()}, /*declared=*/0) + "trailing bytes");
  std::string bytes = ReadFile(input_);
  bytes[12] = '\xFF';  // npins = -1 (little-endian 0xFFFFFFFF)
  bytes[13] = '\xFF';
  bytes[14] = '\xFF';
  bytes[15] = '\xFF';
  WriteFile(input_, bytes);
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input_);
  fake::QueueCommand(IDC_SAVE);

  EXPECT_EQ(RunProgram(), 0);

  EXPECT_FALSE(Exists(Path("maps\\trip.asc")));
  EXPECT_TRUE(fake::CallsOf({"IOsFileCopy", "IOsExecute"}).empty());
  EXPECT_TRUE(SameCalls({Call("IWnMessageBox", kBoxOk, kIconStop, 1,
                              "This is not a pushpin file:\r" + input_ +
                                  "\rIts header gives -1 as the number of pins. Nothing was written.",
                              "PushPin File")},
                        fake::CallsOf({"IWnMessageBox"})));
}

TEST_F(ConversionTest, OffsetsFromTheFileAreAddedToEveryPin) {
  WriteFile(Path("prog\\offsets.txt"), "0.001,-0.002");
  QueueOpenOf({HomePin()});
  fake::QueueCommand(IDC_SAVE);
  EXPECT_EQ(RunProgram(), 0);
  // -28.647890090942383 + 0.001f and 14.323945045471191 + (-0.002f), each in double.
  EXPECT_EQ(ReadFile(Path("maps\\trip.asc")), " -28.64689,  14.32195,\"Home\"\r\n");
}

// The real pushpin file of the test data: 9 pins named like the waypoints of the
// matching .loc file, whose descriptions are the pins' first notes.
TEST_F(ConversionTest, NashvilleGivesNinePinsNamedAndNotedLikeTheWaypoints) {
  const std::string data = std::string(QH_TESTDATA) + "/nashville.psp";
  const std::string loc = std::string(QH_TESTDATA) + "/nashville.loc";
  if (!std::filesystem::exists(data) || !std::filesystem::exists(loc)) {
    GTEST_SKIP() << "test data not present";
  }
  std::vector<std::string> names, notes;
  const std::string xml = ReadFile(loc);
  for (std::size_t at = xml.find("<name id=\""); at != std::string::npos;
       at = xml.find("<name id=\"", at + 1)) {
    const std::size_t idStart = at + 10;
    names.push_back(xml.substr(idStart, xml.find('"', idStart) - idStart));
    const std::size_t textStart = xml.find("<![CDATA[", at) + 9;
    notes.push_back(xml.substr(textStart, xml.find("]]>", textStart) - textStart));
  }
  ASSERT_EQ(names.size(), 9u);

  WriteFile(input_, ReadFile(data));
  fake::QueueCommand(IDC_OPEN);
  fake::QueueDialogAnswer(input_);
  fake::QueueCommand(IDC_SAVE);
  fake::QueueCommand(IDC_APPEND_NOTES);
  fake::QueueCommand(IDC_SAVE_AS);
  fake::QueueDialogAnswer(Path("maps\\noted"));
  EXPECT_EQ(RunProgram(), 0);

  auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        out.push_back(text.substr(start) + " <no CR LF>");
        break;
      }
      out.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return out;
  };
  const std::vector<std::string> plain = lines(ReadFile(Path("maps\\trip.asc")));
  const std::vector<std::string> noted = lines(ReadFile(Path("maps\\noted.asc")));
  ASSERT_EQ(plain.size(), 9u);
  ASSERT_EQ(noted.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(plain[i].substr(21), ",\"" + names[i] + "\"") << "pin " << i + 1;
    EXPECT_EQ(noted[i].substr(21), ",\"" + names[i] + notes[i] + "\"") << "pin " << i + 1;
    // The coordinates do not depend on the notes.
    EXPECT_EQ(plain[i].substr(0, 21), noted[i].substr(0, 21)) << "pin " << i + 1;
  }
}

}  // namespace
}  // namespace qh::test
