// Reading of the configuration file and the start-up pieces that need no system.
#include <gtest/gtest.h>

#include <string>

#include "core/config_file.h"
#include "core/error_state.h"
#include "services/errors.h"

namespace qh {
namespace {

class ConfigFile : public ::testing::Test {
 protected:
  void SetUp() override { ResetErrorStateForTests(); }
  void TearDown() override { ResetErrorStateForTests(); }
  ServiceSettings s;
};

TEST_F(ConfigFile, DebugKeywordInAnyCaseWithBlanksAndTabs) {
  ApplyConfigLine("   debug  =  3", s);
  EXPECT_EQ(ErrorMode(), 3);
  ApplyConfigLine("DEBUG = 0", s);
  EXPECT_EQ(ErrorMode(), 0);
  ApplyConfigLine("\tDeBuG\t=\t1\t", s);
  EXPECT_EQ(ErrorMode(), 1);
}

TEST_F(ConfigFile, BadDebugLinesAreIgnored) {
  IErMode(3);  // no status bar hook: reports of failed conversions stay invisible
  const char* lines[] = {
      "DEBUG = x",     "DEBUG =",        "DEBUG =    ",  "= DEBUG 3",  "=3",
      "DEBUG 3",       "DEBUG = 5",      "DEBUG = -1",   "DEBUGGING = 3", "DEBUGX = 3",
      "DEBUG = 3x",    "DEBUG = +",      "XDEBUG = 3",   "",           "   ",
  };
  for (const char* line : lines) {
    ApplyConfigLine(line, s);
    EXPECT_EQ(ErrorMode(), 3) << "line [" << line << "]";
  }
  EXPECT_EQ(IErInfo(1), 0) << "a failed conversion leaves no error value";
}

TEST_F(ConfigFile, OnlyTheFirstEightLettersOfTheKeywordCount) {
  ApplyConfigLine("LFNPLOTOX = 50", s);
  EXPECT_EQ(s.plotOutputUnit, 50);
  ApplyConfigLine("lfnplotinput = 51", s);
  EXPECT_EQ(s.plotInputUnit, 51);
  ApplyConfigLine("PLNAMEX = other.plt", s);  // "PLNAMEX " is no keyword
  EXPECT_EQ(s.plotFile.Trim(), "paneward.plt");
}

TEST_F(ConfigFile, KeywordIsTheFirstWordBeforeTheEquals) {
  ApplyConfigLine("  PLNAME extra words = out.plt", s);
  EXPECT_EQ(s.plotFile.Trim(), "out.plt");
}

TEST_F(ConfigFile, ValueKeepsInnerBlanksAndLaterEqualsSigns) {
  ApplyConfigLine("BROWSER =   C:\\Program Files\\web.exe -new  -x=1   ", s);
  EXPECT_EQ(s.browser.Trim(), "C:\\Program Files\\web.exe -new  -x=1");
  ApplyConfigLine("PLNAME=a=b.plt", s);
  EXPECT_EQ(s.plotFile.Trim(), "a=b.plt");
  ApplyConfigLine("CHARSET = tab\there", s);
  EXPECT_EQ(s.charsetFile.Trim(), "tab here");
}

TEST_F(ConfigFile, VersionRequestNeedsThreeLetterKeywordBeforeAnEquals) {
  ServiceSettings a, b, c, d, e, f;
  ApplyConfigLine("version = 1", a);
  ApplyConfigLine("VER=", b);
  ApplyConfigLine("  Verbose  =   ", c);
  ApplyConfigLine("VE = 1", d);
  ApplyConfigLine("VERSION", e);
  ApplyConfigLine("= VERSION", f);
  EXPECT_TRUE(a.versionRequested);
  EXPECT_TRUE(b.versionRequested) << "a blank value still asks for the version";
  EXPECT_TRUE(c.versionRequested);
  EXPECT_FALSE(d.versionRequested) << "keyword shorter than 3";
  EXPECT_FALSE(e.versionRequested) << "no equals sign";
  EXPECT_FALSE(f.versionRequested) << "equals sign in column 1";
}

TEST_F(ConfigFile, EqualsInColumn170IsIgnoredAndLongLinesAreCut) {
  std::string at170 = "PLNAME";
  at170.resize(169, ' ');
  at170 += "=x.plt";
  ApplyConfigLine(at170, s);
  EXPECT_EQ(s.plotFile.Trim(), "paneward.plt");

  std::string at169 = "PLNAME";
  at169.resize(168, ' ');
  at169 += "=xy.plt";  // only "x" stands in column 170
  ApplyConfigLine(at169, s);
  EXPECT_EQ(s.plotFile.Trim(), "x");

  std::string beyond = "PLNAME";
  beyond.resize(170, ' ');
  beyond += "=y.plt";  // the "=" is cut off with the rest of the line
  ServiceSettings t;
  ApplyConfigLine(beyond, t);
  EXPECT_EQ(t.plotFile.Trim(), "paneward.plt");

  const std::string longValue = "BROWSER=" + std::string(200, 'p');
  ApplyConfigLine(longValue, t);
  EXPECT_EQ(t.browser.Length(), 162u) << "170 columns less the 8 of \"BROWSER=\"";
}

TEST_F(ConfigFile, TextValuesAreCutToTheirSettings) {
  ApplyConfigLine("PLNAME=" + std::string(163, 'p'), s);
  EXPECT_EQ(s.plotFile.View(), std::string(160, 'p'));
  ApplyConfigLine("CHARDIR=" + std::string(150, 'd'), s);
  EXPECT_EQ(s.charsetFolder.Length(), 140u);
  EXPECT_EQ(s.charsetFolder.View(), std::string(140, 'd'));
}

TEST_F(ConfigFile, IntegerValuesAtTheirLimits) {
  struct Case {
    const char* value;
    bool accepted;
    int result;
  };
  const Case cases[] = {
      {"7", true, 7},
      {"7 trailing words", true, 7},
      {"+12", true, 12},
      {"-3", true, -3},
      {"2147483647", true, 2147483647},
      {"-2147483647", true, -2147483647},
      {"0000000001", true, 1},
      {"2147483648", false, 0},
      {"2999999999", false, 0},
      {"3000000000", false, 0},
      {"00000000001", false, 0},
      {"12x", false, 0},
      {"1.5", false, 0},
      {"-", false, 0},
      {"+-1", false, 0},
      {"x12", false, 0},
  };
  for (const Case& c : cases) {
    ServiceSettings t;
    t.printerDriver = -77;
    ApplyConfigLine(std::string("PRINTER = ") + c.value, t);
    EXPECT_EQ(t.printerDriver, c.accepted ? c.result : -77) << "value [" << c.value << "]";
    EXPECT_EQ(IErInfo(1), 0) << "value [" << c.value << "]";
  }
}

TEST_F(ConfigFile, ConversionErrorIsReportedThenCleared) {
  std::int32_t n = 5;
  EXPECT_FALSE(ConvertConfigInteger("4x", n));
  EXPECT_EQ(IErInfo(1), 12);
  EXPECT_FALSE(ConvertConfigInteger("9999999999", n));
  EXPECT_EQ(IErInfo(1), 4);
  EXPECT_EQ(n, 5) << "a failed conversion leaves the result alone";

  // A reporting mode set before the file is read already shows the failure.
  IErMode(1);
  ::testing::internal::CaptureStdout();
  ApplyConfigLine("HPGL2 = on", s);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, " Error=  12:Invalid character detected\n");
  EXPECT_EQ(IErInfo(1), 0);
  EXPECT_EQ(s.hpgl2, 0);
}

TEST_F(ConfigFile, UnitNumbersMayNotCollide) {
  ApplyConfigLine("LFNGEN = 41", s);
  EXPECT_EQ(s.generalUnit, 40) << "41 is the plot output unit";
  ApplyConfigLine("LFNGEN = 42", s);
  EXPECT_EQ(s.generalUnit, 40) << "42 is the plot input unit";
  ApplyConfigLine("LFNPLOTO = 40", s);
  EXPECT_EQ(s.plotOutputUnit, 41);
  ApplyConfigLine("LFNPLOTO = 42", s);
  EXPECT_EQ(s.plotOutputUnit, 41);
  ApplyConfigLine("LFNPLOTI = 41", s);
  EXPECT_EQ(s.plotInputUnit, 42);
  ApplyConfigLine("LFNPLOTI = 40", s);
  EXPECT_EQ(s.plotInputUnit, 42);

  ApplyConfigLine("LFNPLOTO = 50", s);
  ApplyConfigLine("LFNGEN = 41", s);  // free now
  EXPECT_EQ(s.plotOutputUnit, 50);
  EXPECT_EQ(s.generalUnit, 41);
  ApplyConfigLine("LFNGEN = 41", s);  // equal to itself is no collision
  EXPECT_EQ(s.generalUnit, 41);
}

TEST_F(ConfigFile, AllIntegerKeywords) {
  ApplyConfigText("PRINTER=3\nPLOTTER = 4\nHPGL2 = 1\n", s);
  EXPECT_EQ(s.printerDriver, 3);
  EXPECT_EQ(s.plotterDriver, 4);
  EXPECT_EQ(s.hpgl2, 1);
}

TEST_F(ConfigFile, WholeFileWithCrLfCommentsAndOverrides) {
  const std::string text =
      "Paneward settings: lines without an equals sign are comments\r\n"
      "PLNAME = first.plt\r\n"
      "\r\n"
      "charset = mine.chr\r\n"
      "PLNAME = second.plt\r\n"
      "version = please\r\n"
      "CHARDIR = C:\\fonts";  // no line end after the last line
  ApplyConfigText(text, s);
  EXPECT_EQ(s.plotFile.Trim(), "second.plt");
  EXPECT_EQ(s.charsetFile.Trim(), "mine.chr");
  EXPECT_EQ(s.charsetFolder.Trim(), "C:\\fonts") << "the line after the version request is read too";
  EXPECT_TRUE(s.versionRequested);
}

TEST_F(ConfigFile, EmptyTextChangesNothing) {
  ApplyConfigText("", s);
  ApplyConfigText("\n\n\r\n", s);
  EXPECT_EQ(s.plotFile.Trim(), "paneward.plt");
  EXPECT_FALSE(s.versionRequested);
  EXPECT_EQ(ErrorMode(), 0);
}

// ---------------------------------------------------------------- start-up pieces

TEST(StartupPieces, LibraryFolder) {
  EXPECT_EQ(LibraryFolderFrom("D:\\lib", "", "C:\\work"), "D:\\lib\\");
  EXPECT_EQ(LibraryFolderFrom("D:\\lib\\   ", "X:\\PaneIDE", "C:\\work"), "D:\\lib\\");
  EXPECT_EQ(LibraryFolderFrom("   ", "C:\\Tools\\PaneIDE\\bin\\paneide.exe", "C:\\w"),
            "C:\\Tools\\PaneIDE\\bin\\")
      << "cut before the last occurrence, any case";
  EXPECT_EQ(LibraryFolderFrom("", "C:\\ide\\", "C:\\w"), "C:\\ide\\");
  EXPECT_EQ(LibraryFolderFrom("", "", "D:\\work"), "D:\\paneward\\");
  EXPECT_EQ(LibraryFolderFrom("", "", "/home/x"), "\\paneward\\");
  EXPECT_EQ(LibraryFolderFrom(std::string(150, 'a'), "", "C:\\").size(), 140u);
}

TEST(StartupPieces, DebugVariable) {
  ResetErrorStateForTests();
  ApplyDebugVariable("3");
  EXPECT_EQ(ErrorMode(), 3);
  ApplyDebugVariable("2 and more");
  EXPECT_EQ(ErrorMode(), 2);
  for (const char* ignored : {"5", "9", "x", " 1", "", "-1"}) {
    ApplyDebugVariable(ignored);
    EXPECT_EQ(ErrorMode(), 2) << "value [" << ignored << "]";
  }
  ApplyDebugVariable("0");
  EXPECT_EQ(ErrorMode(), 0);
  ResetErrorStateForTests();
}

TEST(StartupPieces, DisplayColoursAndPaletteSize) {
  EXPECT_EQ(DisplayColours(1, 1), 2);
  EXPECT_EQ(DisplayColours(4, 1), 16);
  EXPECT_EQ(DisplayColours(1, 8), 256);
  EXPECT_EQ(DisplayColours(1, 24), 16777216);
  EXPECT_EQ(DisplayColours(1, 32), 16777216) << "bits counted at most 24";
  EXPECT_EQ(DefaultPaletteSize(2), 2);
  EXPECT_EQ(DefaultPaletteSize(16), 8);
  EXPECT_EQ(DefaultPaletteSize(256), 16);
  EXPECT_EQ(DefaultPaletteSize(65536), 256);
  EXPECT_EQ(DefaultPaletteSize(16777216), 256);
}

TEST(StartupPieces, CharsetFolderGetsItsBackslash) {
  ServiceSettings s;
  FinishCharsetFolder(s);
  EXPECT_TRUE(s.charsetFolder.Blank());
  s.charsetFolder = "C:\\fonts";
  FinishCharsetFolder(s);
  EXPECT_EQ(s.charsetFolder.Trim(), "C:\\fonts\\");
  FinishCharsetFolder(s);
  EXPECT_EQ(s.charsetFolder.Trim(), "C:\\fonts\\");
}

}  // namespace
}  // namespace qh
