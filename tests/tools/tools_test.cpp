// The command-line tools run as a user runs them: files in, files and exit codes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

#include "formats/asc_reader.h"
#include "formats/asc_writer.h"
#include "formats/pushpin_reader.h"
#include "resources/symbol/default_symbol.h"
#include "tests/formats/ov2_check.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/tool_run.h"

namespace qh {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using test::Quote;
using test::RunResult;
using test::RunTool;

const std::string kMakeOv2 = Quote(QH_MAKEOV2);
const std::string kPsp2Ov2 = Quote(QH_PSP2OV2);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The points of an ".asc" text, read with the overlay library's line parser.
std::vector<test::DecodedPoi> AscPoints(const std::string& text) {
  std::vector<test::DecodedPoi> points;
  for (const std::string& line : Lines(text)) {
    AscPoint p;
    std::string_view reason;
    if (ParseAscLine(line, p, reason) == AscLineKind::kPoint) {
      points.push_back({p.longitudeUnits, p.latitudeUnits, std::string(p.text)});
    }
  }
  return points;
}

test::Ov2Contents DecodeFile(const std::string& path) {
  return test::DecodeOv2(ReadFile(path));
}

// A pushpin file of the given pins: latitude/longitude in radians, texts as Latin-1.
struct Pin {
  Pin(double lat, double lon, std::string n, std::string n1 = {}, std::string n2 = {})
      : latRad(lat), lonRad(lon), name(std::move(n)), note1(std::move(n1)), note2(std::move(n2)) {}
  double latRad, lonRad;
  std::string name, note1, note2;
  std::uint8_t flag = 0;
};

// The pins in the test support's builder: Latin-1 texts, one code unit a byte.
std::string PushpinFile(const std::vector<Pin>& pins) {
  auto units = [](const std::string& text) {
    std::u16string out;
    for (const char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
  };
  std::vector<test::StoredPin> stored;
  for (const Pin& pin : pins) {
    test::StoredPin s;
    s.flag = pin.flag;
    s.latitudeRadians = pin.latRad;
    s.longitudeRadians = pin.lonRad;
    s.name = units(pin.name);
    s.note1 = units(pin.note1);
    s.note2 = units(pin.note2);
    stored.push_back(s);
  }
  return test::PushpinBytes(stored);
}

constexpr double kDegree = test::kRadiansPerDegree;

bool HaveNashville() { return std::filesystem::exists(QH_TESTDATA "/nashville.psp"); }

// The sample is read from the shared test data, which a checkout may lack.
#define REQUIRE_NASHVILLE() \
  if (!HaveNashville()) GTEST_SKIP() << "test data not present: " QH_TESTDATA

std::string Nashville(const TempFolder& folder) {
  const std::string psp = folder.File("nashville.psp");
  WriteFile(psp, ReadFile(QH_TESTDATA "/nashville.psp"));
  return psp;
}

TEST(Psp2Ov2, NashvilleGivesNinePointsInAllThreeFiles) {
  TempFolder folder;
  REQUIRE_NASHVILLE();
  const std::string psp = Nashville(folder);
  const RunResult r = RunTool(folder, kPsp2Ov2 + " -q " + Quote(psp));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "") << "-q should keep standard output quiet";
  const auto asc_points = AscPoints(ReadFile(folder.File("nashville.asc")));
  ASSERT_EQ(asc_points.size(), 9u);
  const test::Ov2Contents ov2 = DecodeFile(folder.File("nashville.ov2"));
  ASSERT_TRUE(ov2.faults.empty()) << test::JoinFaults(ov2);
  ASSERT_EQ(ov2.pois.size(), 9u);
  auto a = asc_points, b = ov2.pois;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  EXPECT_TRUE(a == b) << "the overlay's points differ from the .asc lines";
  EXPECT_GE(ov2.skippers, 1u);
  const std::string bmp = ReadFile(folder.File("nashville.bmp"));
  const auto symbol = DefaultSymbolBitmap();
  EXPECT_EQ(bmp, std::string(symbol.begin(), symbol.end()));
}

// The ".asc" must be what the program writes: the converter's own reader and line
// builder, with the same notes mode and single-precision offsets.
TEST(Psp2Ov2, AscLinesAreTheProgramsLinesWithNotesAndOffsets) {
  TempFolder folder;
  REQUIRE_NASHVILLE();
  const std::string psp = Nashville(folder);
  const RunResult r =
      RunTool(folder, kPsp2Ov2 + " -q --append-notes --offset 0.1,-0.3 " + Quote(psp));
  ASSERT_EQ(r.status, 0) << r.err;
  PushpinReader reader;
  std::int32_t npins = 0;
  ASSERT_TRUE(reader.Open(psp) && reader.ReadHeader(npins));
  std::string expected;
  PinRecord pin;
  for (std::int32_t i = 0; i < npins; ++i) {
    ASSERT_TRUE(reader.NextPin(pin));
    expected += AscLine(AddOffset(0.1f, pin.longitude), AddOffset(-0.3f, pin.latitude),
                        PinText(pin, NotesMode::Append));
  }
  EXPECT_EQ(ReadFile(folder.File("nashville.asc")), expected);
  EXPECT_NE(expected.find("Mountain Bike Heaven"), std::string::npos)
      << "the notes were expected in the text";
}

TEST(Psp2Ov2, OverlayEqualsWhatMakeov2MakesOfTheAsc) {
  TempFolder folder;
  REQUIRE_NASHVILLE();
  const std::string psp = Nashville(folder);
  for (const char* flat : {"", " --flat"}) {
    ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q" + flat + " " + Quote(psp)).status, 0);
    const std::string copy = folder.File("copy.asc");
    WriteFile(copy, ReadFile(folder.File("nashville.asc")));
    const RunResult m = RunTool(folder, kMakeOv2 + flat + " " + Quote(copy));
    ASSERT_EQ(m.status, 0) << m.err;
    EXPECT_EQ(ReadFile(folder.File("copy.ov2")), ReadFile(folder.File("nashville.ov2")))
        << "options [" << flat << "]";
  }
}

// Many pins over several batches of lines, with the texts and coordinates that the
// overlay's shortcut must leave to the general reader: line breaks (which the ".asc"
// holds as blanks), quotes, NULs, coordinates beyond the ".asc" columns or beyond
// -180..180 and -90..90.
TEST(Psp2Ov2, OverlayAndMessagesEqualMakeov2sOnAwkwardPins) {
  TempFolder folder;
  std::vector<Pin> pins;
  std::uint64_t state = 12345;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  const std::vector<std::string> texts = {"plain", "a\"quote\"", "two\nlines", "\n", "cr\r",
                                          "x\"\ny\"", "\n 1.00000,  2.00000,\"z", "", "; note"};
  for (int i = 0; i < 5000; ++i) {
    const double lat = next() * 170 - 85, lon = next() * 360 - 180;
    pins.push_back({lat * kDegree, lon * kDegree, texts[static_cast<std::size_t>(i) % texts.size()] +
                                                      std::to_string(i)});
  }
  pins[10].lonRad = 12000 * kDegree;  // asterisks in the longitude column
  pins[11].latRad = -1000.000001 * kDegree;
  pins[12].latRad = -0.000001 * kDegree;  // prints without a sign
  pins[13].lonRad = -999.999994 * kDegree;  // fits the columns, but no longitude
  pins[14].latRad = 90.00001 * kDegree;
  pins[15].name = std::string("nul\0inside", 11);
  // Before the first point a piece without comma or quote is a title, passed over.
  pins[0].name = "x\ntitle\n";
  const std::string psp = folder.File("awkward.psp");
  WriteFile(psp, PushpinFile(pins));
  for (const char* flat : {"", " --flat"}) {
    const RunResult ours = RunTool(folder, kPsp2Ov2 + " -q" + flat + " " + Quote(psp));
    EXPECT_EQ(ours.status, 1) << ours.err;
    const std::string copy = folder.File("copy.asc");
    WriteFile(copy, ReadFile(folder.File("awkward.asc")));
    const RunResult theirs = RunTool(folder, kMakeOv2 + flat + " " + Quote(copy));
    EXPECT_EQ(theirs.status, 1) << theirs.err;
    EXPECT_EQ(ReadFile(folder.File("copy.ov2")), ReadFile(folder.File("awkward.ov2")))
        << "options [" << flat << "]";
    // The same lines are reported, by the same numbers.
    std::vector<std::string> oursLines = Lines(ours.err), theirsLines = Lines(theirs.err);
    ASSERT_EQ(oursLines.size(), theirsLines.size()) << ours.err << "\n--\n" << theirs.err;
    ASSERT_GE(oursLines.size(), 2u);
    for (std::size_t i = 0; i < oursLines.size(); ++i) {
      const std::string whereOurs = oursLines[i].substr(oursLines[i].find(".asc:"));
      const std::string whereTheirs = theirsLines[i].substr(theirsLines[i].find(".asc:"));
      EXPECT_EQ(whereOurs.substr(0, whereOurs.find(';')), whereTheirs) << "report " << i;
    }
  }
}

TEST(Psp2Ov2, FlatKeepsInputOrderWithoutSkippers) {
  TempFolder folder;
  REQUIRE_NASHVILLE();
  const std::string psp = Nashville(folder);
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q --flat " + Quote(psp)).status, 0);
  const test::Ov2Contents ov2 = DecodeFile(folder.File("nashville.ov2"));
  ASSERT_TRUE(ov2.faults.empty()) << test::JoinFaults(ov2);
  EXPECT_EQ(ov2.skippers, 0u);
  EXPECT_TRUE(ov2.pois == AscPoints(ReadFile(folder.File("nashville.asc"))));
}

TEST(Psp2Ov2, ABrokenInputLeavesNoFilesAndTheOthersAreStillConverted) {
  TempFolder folder;
  REQUIRE_NASHVILLE();
  const std::string good = Nashville(folder);
  const std::string cut = folder.File("cut.psp");
  WriteFile(cut, ReadFile(good).substr(0, 500));
  const std::string absent = folder.File("absent.psp");
  const RunResult r =
      RunTool(folder, kPsp2Ov2 + " -q " + Quote(cut) + " " + Quote(absent) + " " + Quote(good));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("file ends early (pin "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(cut), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(absent), std::string::npos) << r.err;
  for (const char* ext : {".asc", ".ov2", ".bmp"}) {
    EXPECT_FALSE(std::filesystem::exists(folder.File(std::string("cut") + ext))) << ext;
    EXPECT_FALSE(std::filesystem::exists(folder.File(std::string("absent") + ext))) << ext;
  }
  EXPECT_EQ(DecodeFile(folder.File("nashville.ov2")).pois.size(), 9u);
  // Nothing but the three inputs' files: no temporary left behind.
  EXPECT_EQ(folder.Entries(), 5u);
}

TEST(Psp2Ov2, OutputNameSymbolChoiceAndAscOnly) {
  TempFolder folder;
  REQUIRE_NASHVILLE();
  const std::string psp = Nashville(folder);
  std::filesystem::create_directory(folder.Path() / "out");
  const std::string custom = folder.File("custom.bmp");
  WriteFile(custom, "BM custom icon");
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q -o " + Quote(folder.File("out/tour.ov2")) + " --symbol " +
                            Quote(custom) + " " + Quote(psp))
                .status,
            0);
  EXPECT_EQ(DecodeFile(folder.File("out/tour.ov2")).pois.size(), 9u);
  EXPECT_EQ(AscPoints(ReadFile(folder.File("out/tour.asc"))).size(), 9u);
  EXPECT_EQ(ReadFile(folder.File("out/tour.bmp")), "BM custom icon");

  // A default_symbol.bmp in the output folder is preferred to the built-in icon.
  WriteFile(folder.File("out/default_symbol.bmp"), "BM local icon");
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q -o " + Quote(folder.File("out/again")) + " " + Quote(psp))
                .status,
            0);
  EXPECT_EQ(ReadFile(folder.File("out/again.bmp")), "BM local icon");
  EXPECT_TRUE(std::filesystem::exists(folder.File("out/again.asc")));

  std::filesystem::create_directory(folder.Path() / "asc");
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q --asc-only -o " + Quote(folder.File("asc/only.ov2")) + " " +
                            Quote(psp))
                .status,
            0);
  EXPECT_TRUE(std::filesystem::exists(folder.File("asc/only.asc")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("asc/only.ov2")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("asc/only.bmp")));
}

TEST(Psp2Ov2, APointBeyondTheAscColumnsIsLeftOutAndReported) {
  TempFolder folder;
  const std::string psp = folder.File("far.psp");
  WriteFile(psp, PushpinFile({{10 * kDegree, 20 * kDegree, "near"},
                              {10 * kDegree, 10000 * kDegree, "far"},
                              {-5 * kDegree, -7 * kDegree, "south"}}));
  const RunResult r = RunTool(folder, kPsp2Ov2 + " -q " + Quote(psp));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("far.asc:2:"), std::string::npos) << r.err;
  EXPECT_NE(ReadFile(folder.File("far.asc")).find("**********"), std::string::npos);
  const test::Ov2Contents ov2 = DecodeFile(folder.File("far.ov2"));
  ASSERT_EQ(ov2.pois.size(), 2u);
}

// The flag rule and the text encoding as chosen on the command line: a zone-3 pin in
// the mapping program's form, a zone-2 pin in the signed form, and a text with a line
// feed and a character beyond ASCII.
TEST(Psp2Ov2, FlagRuleAndTextEncodingOptions) {
  TempFolder folder;
  std::vector<Pin> pins = {{34 * kDegree, 61.75 * kDegree, "Caf\xE9\nbar"},
                           {36 * kDegree, -86.5 * kDegree, "x"}};
  pins[0].flag = 3;
  pins[1].flag = 2;
  const std::string psp = folder.File("zones.psp");
  WriteFile(psp, PushpinFile(pins));
  struct Case {
    const char* options;
    const char* asc;
  };
  const Case cases[] = {
      {"", "-118.25000,  34.00000,\"Caf\xE9 bar\"\r\n -86.50000,  36.00000,\"x\"\r\n"},
      {" --flag2-only", "  61.75000,  34.00000,\"Caf\xE9 bar\"\r\n  86.50000,  36.00000,\"x\"\r\n"},
      {" --utf8", "-118.25000,  34.00000,\"Caf\xC3\xA9 bar\"\r\n -86.50000,  36.00000,\"x\"\r\n"},
      {" --utf8 --flag2-only",
       "  61.75000,  34.00000,\"Caf\xC3\xA9 bar\"\r\n  86.50000,  36.00000,\"x\"\r\n"},
  };
  for (const Case& c : cases) {
    const RunResult r = RunTool(folder, kPsp2Ov2 + " -q --asc-only" + c.options + " " + Quote(psp));
    ASSERT_EQ(r.status, 0) << "options [" << c.options << "] " << r.err;
    EXPECT_EQ(ReadFile(folder.File("zones.asc")), c.asc) << "options [" << c.options << "]";
  }
}

// Offsets are finite numbers and names are names: anything else ends the run with 2
// and a word on what is wrong, before an input is opened.
TEST(Psp2Ov2, UsageErrorsAndOffsetsThatAreNotNumbersExitWithTwo) {
  TempFolder folder;
  const std::string psp = folder.File("in.psp");
  WriteFile(psp, PushpinFile({{10 * kDegree, 20 * kDegree, "near"}}));
  struct Case {
    std::string arguments;
    const char* message;
  };
  const Case refused[] = {
      {"", "Usage:"},
      {"--offset 1 " + Quote(psp), "--offset takes"},
      {"--offset nan,0 " + Quote(psp), "--offset takes"},
      {"--offset 0,inf " + Quote(psp), "--offset takes"},
      {"--offset +-1,0 " + Quote(psp), "--offset takes"},
      {"--offset 1e39,0 " + Quote(psp), "1e39,0: too large for the overlay's single precision"},
      {"--offset 1,2,3 " + Quote(psp), "--offset takes"},
      {"-o '' " + Quote(psp), "-o takes"},
      {"'' " + Quote(psp), "empty"},
      {"-o a.ov2 x.psp y.psp", "one input"},
      {"--bogus x.psp", "unknown option"},
  };
  for (const Case& c : refused) {
    const RunResult r = RunTool(folder, kPsp2Ov2 + " " + c.arguments);
    EXPECT_EQ(r.status, 2) << c.arguments;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.arguments << ": " << r.err;
    EXPECT_EQ(folder.Entries(), 1u) << c.arguments << ": something was written";
  }
  // A number too small for a double is zero.
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q --asc-only " + Quote(psp)).status, 0);
  const std::string plain = ReadFile(folder.File("in.asc"));
  const RunResult tiny = RunTool(folder, kPsp2Ov2 + " -q --asc-only --offset 1e-400,-1e-400 " + Quote(psp));
  EXPECT_EQ(tiny.status, 0) << tiny.err;
  EXPECT_EQ(ReadFile(folder.File("in.asc")), plain);
  const RunResult help = RunTool(folder, kPsp2Ov2 + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--append-notes"), std::string::npos);
}

TEST(MakeOv2, ExitCodesAndMessages) {
  TempFolder folder;
  const std::string asc = folder.File("pts.asc");
  WriteFile(asc, "  1.00000,  2.00000,\"a\"\r\n**********,  2.00000,\"b\"\r\n 3,4,\"c\"\r\n");
  RunResult r = RunTool(folder, kMakeOv2 + " " + Quote(asc));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(asc + ":2: the longitude did not fit the .asc columns"), std::string::npos)
      << r.err;
  EXPECT_EQ(DecodeFile(folder.File("pts.ov2")).pois.size(), 2u);

  WriteFile(asc, " 5,6,\"only\"\n");
  r = RunTool(folder, kMakeOv2 + " " + Quote(asc));
  EXPECT_EQ(r.status, 0) << r.err;
  const auto replaced = DecodeFile(folder.File("pts.ov2"));
  ASSERT_EQ(replaced.pois.size(), 1u) << "the old overlay was not replaced";
  EXPECT_EQ(replaced.pois[0].name, "only");

  // A NUL in a text costs no point: written as a blank, and said.
  WriteFile(asc, std::string(" 5,6,\"a\0b\"\n 7,8,\"c\"\n", 20));
  r = RunTool(folder, kMakeOv2 + " " + Quote(asc));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(asc + ":1: a NUL byte in the text is written as a blank"),
            std::string::npos)
      << r.err;
  const auto withNul = DecodeFile(folder.File("pts.ov2"));
  ASSERT_EQ(withNul.pois.size(), 2u);
  EXPECT_EQ(withNul.pois[0].name + withNul.pois[1].name, "a bc");

  const std::string absent = folder.File("absent.asc");
  r = RunTool(folder, kMakeOv2 + " " + Quote(absent));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(absent), std::string::npos) << r.err;

  // The overlay's place is taken by a folder: it cannot be written.
  const std::string blocked = folder.File("blocked.asc");
  WriteFile(blocked, "1,2,\"x\"\n");
  std::filesystem::create_directory(folder.File("blocked.ov2"));
  r = RunTool(folder, kMakeOv2 + " " + Quote(blocked));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("blocked.ov2"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("blocked.ov2")));

  EXPECT_EQ(RunTool(folder, kMakeOv2).status, 2);
  EXPECT_EQ(RunTool(folder, kMakeOv2 + " a.asc b.asc").status, 2);
  EXPECT_EQ(RunTool(folder, kMakeOv2 + " --version").status, 0);
}

// Lines that give no point are no overlay: makeov2 says so, ends with 1 and leaves
// the earlier overlay. CR alone ends a line as CR LF and LF do; a file without lines
// is an empty overlay.
TEST(MakeOv2, AFileOfLinesWithoutAPointIsNotAnOverlay) {
  std::string binary;
  for (int i = 0; i < 1024; ++i) binary.push_back(static_cast<char>((i * 37) & 0xFF));
  struct Case {
    const char* name;
    std::string content;
    int status;
    std::size_t points;  // in the new overlay; unused when none is written
    const char* message;
  };
  const Case cases[] = {
      {"lines ended by CR alone", " 1.5,2.5,\"a\"\r 3,4,\"b\"\r", 0, 2, ""},
      {"no lines", "", 0, 0, ""},
      {"tab-separated", "1.5\t2.5\ta\r\n3\t4\tb\r\n", 1, 0, "no line holds a point"},
      {"binary", binary, 1, 0, "no line holds a point"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string asc = folder.File("pts.asc");
    WriteFile(asc, c.content);
    WriteFile(folder.File("pts.ov2"), "earlier overlay");
    const RunResult r = RunTool(folder, kMakeOv2 + " " + Quote(asc));
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    if (c.status == 0) {
      const test::Ov2Contents ov2 = DecodeFile(folder.File("pts.ov2"));
      EXPECT_TRUE(ov2.faults.empty()) << c.name << ": " << test::JoinFaults(ov2);
      EXPECT_EQ(ov2.pois.size(), c.points) << c.name;
    } else {
      EXPECT_EQ(ReadFile(folder.File("pts.ov2")), "earlier overlay") << c.name;
    }
    EXPECT_EQ(folder.Entries(), 2u) << c.name << ": a temporary file was left";
  }
}

#ifndef _WIN32
// The names in a folder, sorted: what a run left there.
std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text;
}

// A pushpin file with the count field (bytes 12 to 15) replaced.
std::string WithCount(std::string file, std::uint32_t count) {
  for (int i = 0; i < 4; ++i) file[12 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  return file;
}

std::string ThreePins() {
  return PushpinFile({{36.1 * kDegree, -86.7 * kDegree, "GCEBB", "Mountain Bike Heaven"},
                      {36.2 * kDegree, -86.8 * kDegree, "GC1A37", "The Troll"},
                      {36.3 * kDegree, -86.9 * kDegree, "GC1C2B", "Dive Bomb"}});
}

// Inputs no tool may take down: each ends the run with 2 and the file's name and
// what is wrong with it, and leaves nothing behind (no output, no temporary file).
TEST(Tools, HostileInputsEndWithTwoAndLeaveNothingBehind) {
  const std::string three = ThreePins();
  struct Case {
    const char* name;
    std::string file;        // the input's name in the folder
    std::string content;     // its bytes; "folder" makes it a folder, "fifo" a FIFO
    std::string command;     // the tool and its options; the input's path follows
    std::string message;     // after the input's path
  };
  const Case cases[] = {
      {"a count of 2,147,483,647 in 32 bytes", "huge.psp", WithCount(std::string(32, '\0'), 0x7FFFFFFF),
       kPsp2Ov2 + " -q", ": file ends early (pin 1 of 2147483647)"},
      {"one bit more in the count", "flip.psp", WithCount(three, 3 | 1u << 28), kPsp2Ov2 + " -q",
       ": file ends early (pin 4 of 268435459)"},
      {"one bit more in the count, --asc-only", "flip.psp", WithCount(three, 3 | 1u << 29),
       kPsp2Ov2 + " -q --asc-only", ": file ends early (pin 4 of 536870915)"},
      {"the count's sign bit", "sign.psp", WithCount(three, 3 | 1u << 31), kPsp2Ov2 + " -q",
       ": the pin count -2147483645 is negative"},
      {"cut in the header", "cut.psp", three.substr(0, 20), kPsp2Ov2 + " -q",
       ": file ends early (in its header)"},
      {"a folder named x.psp", "x.psp", "folder", kPsp2Ov2 + " -q", ": Is a directory"},
      {"a folder named x.asc", "x.asc", "folder", kMakeOv2, ": Is a directory"},
      // Bytes without a line end for as long as they are read.
      {"endless input without a line end", "endless.asc", "fifo",
       "timeout 60 sh -c 'cat /dev/zero >\"$FIFO\"' & exec timeout 60 " + kMakeOv2,
       ": line 1 is longer than 1 MiB"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string input = folder.File(c.file);
    if (c.content == "folder") {
      std::filesystem::create_directory(input);
    } else if (c.content == "fifo") {
      ASSERT_EQ(mkfifo(input.c_str(), 0600), 0) << std::strerror(errno);
    } else {
      WriteFile(input, c.content);
    }
    const std::vector<std::string> before = Names(folder);
    const RunResult r =
        RunTool(folder, "export FIFO=" + Quote(input) + "; " + c.command + " " + Quote(input));
    EXPECT_EQ(r.status, 2) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(input + c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << c.name;
  }
}

// A tool blocked reading its input (a FIFO that gives no more) is interrupted: it
// ends by that signal, its temporary files are gone and the earlier outputs are as
// they were.
TEST(Tools, AnInterruptRemovesTheTemporaryFilesAndKeepsTheEarlierOutputs) {
  // More pins than the reader takes in one read: it holds the header and waits.
  std::vector<Pin> pins;
  for (int i = 0; i < 4000; ++i) pins.push_back({(i % 80) * kDegree, (i % 170) * kDegree, "pin " + std::to_string(i)});
  const std::string many = PushpinFile(pins);
  struct Case {
    const char* name;
    const char* tool;
    std::vector<std::string> options;
    std::string input;
    std::string given;  // what the FIFO gives before it stops
    std::vector<std::string> outputs;
    int signal;
  };
  const Case cases[] = {
      {"psp2ov2, Ctrl+C", QH_PSP2OV2, {"-q"}, "in.psp", many.substr(0, many.size() / 2),
       {"in.asc", "in.ov2", "in.bmp"}, SIGINT},
      {"psp2ov2, kill", QH_PSP2OV2, {"-q", "--flat"}, "in.psp", many.substr(0, many.size() / 2),
       {"in.asc", "in.ov2", "in.bmp"}, SIGTERM},
      {"makeov2, Ctrl+C", QH_MAKEOV2, {}, "in.asc", "1,2,\"a\"\n3,4,\"b\"\n", {"in.ov2"}, SIGINT},
      {"makeov2, Ctrl+\\", QH_MAKEOV2, {}, "in.asc", "1,2,\"a\"\n", {"in.ov2"}, SIGQUIT},
  };
  // SIGQUIT's own end writes a core file; none is wanted here.
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string fifo = folder.File(c.input);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    for (const std::string& output : c.outputs) WriteFile(folder.File(output), "earlier " + output);
    const std::vector<std::string> before = Names(folder);

    std::vector<std::string> arguments{c.tool};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    arguments.push_back(fifo);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, c.tool, nullptr, nullptr, argv.data(), environ), 0) << c.name;
    // The writing end opens once the tool has opened the reading end; a tool that ends
    // first must not leave the test waiting, nor end it by SIGPIPE.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int writer = -1;
    while ((writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GE(writer, 0) << c.name << ": the tool did not open its input";
    fcntl(writer, F_SETFL, fcntl(writer, F_GETFL) & ~O_NONBLOCK);
    const auto pipeWas = signal(SIGPIPE, SIG_IGN);
    EXPECT_EQ(write(writer, c.given.data(), c.given.size()), static_cast<ssize_t>(c.given.size()));
    signal(SIGPIPE, pipeWas);
    // The tool is ready to be interrupted once its temporary files are there.
    auto temporaries = [&folder] {
      std::size_t count = 0;
      for (const std::string& name : Names(folder)) count += name.size() > 4 && name.ends_with(".tmp");
      return count;
    };
    while (temporaries() < c.outputs.size() - (c.outputs.size() > 1 ? 1 : 0) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GT(temporaries(), 0u) << c.name << ": no temporary file appeared";
    ASSERT_EQ(kill(pid, c.signal), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(writer);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
        << c.name << ": status " << status;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << c.name;
    for (const std::string& output : c.outputs) {
      EXPECT_EQ(ReadFile(folder.File(output)), "earlier " + output) << c.name;
    }
  }
}

// Two runs on the same outputs at once: while the first holds them (here blocked on
// its input, a FIFO), a second run of either tool waits a few seconds, then ends with
// 2 and leaves them alone; the first then finishes as if it were alone.
TEST(Tools, ASecondRunOnTheSameOutputsGivesWayToTheFirst) {
  TempFolder folder, other;
  const std::string fifo = folder.File("in.psp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
  const char* const outputs[] = {"in.asc", "in.ov2", "in.bmp"};
  for (const char* output : outputs) WriteFile(folder.File(output), std::string("earlier ") + output);
  WriteFile(other.File("in.psp"), ThreePins());
  std::string tool = QH_PSP2OV2, quiet = "-q";
  char* argv[] = {tool.data(), quiet.data(), const_cast<char*>(fifo.c_str()), nullptr};
  pid_t first = 0;
  ASSERT_EQ(posix_spawn(&first, tool.c_str(), nullptr, nullptr, argv, environ), 0);
  // The first run holds the outputs once their lock file is there.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  auto locked = [&folder] {
    for (const std::string& name : Names(folder)) {
      if (name.starts_with(".qh~") && name.ends_with(".jnl")) return true;
    }
    return false;
  };
  while (!locked() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(locked()) << "the first run took no lock";
  const std::vector<std::string> before = Names(folder);
  const std::string second[] = {
      kPsp2Ov2 + " -q -o " + Quote(folder.File("in.ov2")) + " " + Quote(other.File("in.psp")),
      kMakeOv2 + " " + Quote(folder.File("in.asc")),
      Quote(QH_OV2) + " make " + Quote(other.File("in.psp")) + " -o " + Quote(folder.File("in.ov2"))};
  for (const std::string& command : second) {
    const RunResult r = RunTool(other, command);
    EXPECT_EQ(r.status, 2) << command << ": " << r.err;
    EXPECT_NE(r.err.find(" is being written by another run"), std::string::npos) << r.err;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << command;
    for (const char* output : outputs) {
      EXPECT_EQ(ReadFile(folder.File(output)), std::string("earlier ") + output) << command;
    }
  }
  WriteFile(fifo, ThreePins());  // opens the FIFO's writing end: the first run goes on
  int status = 0;
  ASSERT_EQ(waitpid(first, &status, 0), first);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(ReadFile(folder.File("in.asc")).find("GCEBB"), std::string::npos);
  EXPECT_EQ(Joined(Names(folder)), "in.asc in.bmp in.ov2 in.psp") << "the lock file stayed";
}

// A fault while the three files of an input are written: none of the earlier three is
// replaced, nothing is left beside them, and the message names the file and the
// system's reason. The faults are real: a file size limit, and (where this machine
// lets a test mount one in a namespace of its own) a small or read-only tmpfs.
TEST(Psp2Ov2, TheThreeOutputsTakeTheirPlacesTogetherOrNotAtAll) {
  TempFolder folder;
  const std::string psp = folder.File("in.psp");
  WriteFile(psp, ThreePins());
  // An icon too large for the limits, written after the .asc and the overlay.
  const std::string icon = folder.File("large.bmp");
  WriteFile(icon, "BM" + std::string(200 * 1024, 'i'));
  const std::string volume = folder.File("volume");
  const std::string seen = folder.File("seen");  // the volume's files, copied out
  std::filesystem::create_directory(volume);
  std::filesystem::create_directory(seen);
  const std::string earlier = "for f in trip.asc trip.ov2 trip.bmp; do printf 'earlier %s' $f > " +
                              Quote(volume) + "/$f; done\n";
  const std::string mount = "mount -t tmpfs -o size=64k qh " + Quote(volume) + "\n";
  const std::string run = kPsp2Ov2 + " -q --symbol " + Quote(icon) + " -o " +
                          Quote(volume + "/trip.ov2") + " " + Quote(psp) + "\n";
  // The volume's files are copied out: a tmpfs in a namespace of its own is gone with it.
  const std::string copyOut = "status=$?\ncp -a " + Quote(volume) + "/. " + Quote(seen) +
                              "\nexit $status\n";
  const bool mountable =
      std::system("unshare -m sh -c 'mount -t tmpfs -o size=64k qh /mnt' >/dev/null 2>&1") == 0;
  struct Case {
    const char* name;
    std::string script;
    const char* reason;
    bool needsMount;
  };
  const Case cases[] = {
      {"file size limit", earlier + "ulimit -f 64\n" + run + copyOut,
       "trip.bmp: File too large", false},
      {"disk full", mount + earlier + run + copyOut, "trip.bmp: No space left on device", true},
      {"read-only volume", mount + earlier + "mount -o remount,ro " + Quote(volume) + "\n" + run + copyOut,
       "trip.asc: Read-only file system", true},
  };
  for (const Case& c : cases) {
    if (c.needsMount && !mountable) {
      std::printf("[ SKIPPED  ] %s: no tmpfs can be mounted here\n", c.name);
      continue;
    }
    std::filesystem::remove_all(seen);
    std::filesystem::create_directory(seen);
    const std::string script = folder.File("fault.sh");
    WriteFile(script, c.script);
    const RunResult r = RunTool(folder, (c.needsMount ? "unshare -m sh " : "sh ") + Quote(script));
    EXPECT_EQ(r.status, 2) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find("psp2ov2: cannot write " + volume + "/" + c.reason), std::string::npos)
        << c.name << ": " << r.err;
    for (const char* name : {"trip.asc", "trip.ov2", "trip.bmp"}) {
      EXPECT_EQ(ReadFile(seen + "/" + name), std::string("earlier ") + name) << c.name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(seen),
                            std::filesystem::directory_iterator()), 3)
        << c.name << ": something was left beside the outputs";
    std::filesystem::remove_all(volume);
    std::filesystem::create_directory(volume);
  }
}

// Outputs that would overwrite an input or one another, whatever their spelling, and
// outputs whose place holds something other than a regular file: refused with 2
// before anything is written.
TEST(Tools, OutputsThatWouldOverwriteAnInputOrEachOtherAreRefused) {
  struct Case {
    const char* name;
    std::string command;  // run in the folder
    const char* message;
  };
  const Case cases[] = {
      {"-o ./a.psp a.psp", kPsp2Ov2 + " -o ./a.psp a.psp", "its overlay ./a.psp would overwrite the input a.psp"},
      {"overlay and icon one file", kPsp2Ov2 + " -o x.bmp a.psp", "its overlay and its icon would both be x.bmp"},
      {"two inputs, one set of outputs", kPsp2Ov2 + " a.psp a.dat", "a.psp and a.dat would both write a.asc"},
      {"one input twice", kPsp2Ov2 + " a.psp sub/../a.psp", "a.psp and sub/../a.psp are the same file"},
      {"an output linked to the input", kPsp2Ov2 + " -o linked.ov2 a.psp", "would overwrite the input a.psp"},
      {"a FIFO in the overlay's place", kPsp2Ov2 + " b.psp", "cannot write b.ov2: it is not a regular file"},
      {"a folder in the icon's place", kPsp2Ov2 + " c.psp", "cannot write c.bmp: Is a directory"},
      {"makeov2 onto its own input", kMakeOv2 + " d.asc", "the overlay d.ov2 would overwrite the input"},
      {"makeov2 onto a FIFO", kMakeOv2 + " e.asc", "cannot write e.ov2: it is not a regular file"},
      {"makeov2 onto a device", kMakeOv2 + " f.asc", "cannot write f.ov2: it is not a regular file"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    for (const char* name : {"a.psp", "a.dat", "b.psp", "c.psp"}) WriteFile(folder.File(name), ThreePins());
    WriteFile(folder.File("d.asc"), "1,2,\"d\"\n");
    WriteFile(folder.File("e.asc"), "1,2,\"e\"\n");
    WriteFile(folder.File("f.asc"), "1,2,\"f\"\n");
    std::filesystem::create_symlink("/dev/null", folder.File("f.ov2"));
    std::filesystem::create_directory(folder.File("sub"));
    std::filesystem::create_symlink("a.psp", folder.File("linked.asc"));
    std::filesystem::create_symlink("d.asc", folder.File("d.ov2"));
    ASSERT_EQ(mkfifo(folder.File("b.ov2").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(folder.File("e.ov2").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.File("c.bmp"));
    const std::vector<std::string> before = Names(folder);
    const RunResult r = RunTool(folder, "cd " + Quote(folder.Path().string()) + " && " + c.command);
    EXPECT_EQ(r.status, 2) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << c.name;
    EXPECT_EQ(ReadFile(folder.File("a.psp")), ThreePins()) << c.name;
    EXPECT_EQ(ReadFile(folder.File("d.asc")), "1,2,\"d\"\n") << c.name;
  }
}

// Messages a person reads once and understands: counts in the singular for one, both
// names of a hard-linked pair, a name with a line
// break quoted, a hexadecimal number called by its name; and a DOS end-of-file byte is
// no error at all.
TEST(Tools, MessagesAPersonReadsOnceAndUnderstands) {
  TempFolder folder;
  WriteFile(folder.File("one.psp"), PushpinFile({{36.1 * kDegree, -86.7 * kDegree, "GCEBB"}}));
  WriteFile(folder.File("linked.psp"), ThreePins());
  WriteFile(folder.File("linked.asc"), "earlier");
  std::filesystem::create_hard_link(folder.File("linked.asc"), folder.File("linked.ov2"));
  WriteFile(folder.File("hex.asc"), "0x10,2,\"x\"\n");
  WriteFile(folder.File("dos.asc"), "1,2,\"a\"\r\n\x1A");
  const std::string broken = folder.File("a\nb.psp");
  struct Case {
    const char* name;
    std::string command;
    int status;
    std::string said;  // on standard output or error
  };
  const Case cases[] = {
      {"one pin", kPsp2Ov2 + " " + Quote(folder.File("one.psp")), 0, "one.psp: 1 pin -> "},
      {"an .asc hard-linked to the .ov2", kPsp2Ov2 + " " + Quote(folder.File("linked.psp")), 2,
       "its .asc file " + folder.File("linked.asc") + " and its overlay " + folder.File("linked.ov2") +
           " are the same file"},
      {"a name with a line break", kPsp2Ov2 + " -q " + Quote(broken), 2,
       "psp2ov2: \"" + folder.File("a\\nb.psp") + "\": No such file or directory\n"},
      {"a hexadecimal number", kMakeOv2 + " " + Quote(folder.File("hex.asc")), 1,
       "hex.asc:1: the longitude is not a decimal number"},
      {"a DOS end-of-file byte", kMakeOv2 + " " + Quote(folder.File("dos.asc")), 0, ""},
  };
  for (const Case& c : cases) {
    const RunResult r = RunTool(folder, c.command);
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE((r.out + r.err).find(c.said), std::string::npos) << c.name << ": " << r.out << r.err;
    if (c.said.empty()) {
      EXPECT_EQ(r.err, "") << c.name;
    }
  }
  EXPECT_EQ(ReadFile(folder.File("linked.asc")), "earlier");
}

// The tools speak for themselves: the file, what happened in their own words and the
// system's reason; a summary that cannot be written is a failure too.
TEST(Tools, MessagesNameTheFileAndTheSystemsReasonInTheToolsWords) {
  TempFolder folder;
  const std::string psp = folder.File("trip.psp");
  const std::string pins = ThreePins();
  WriteFile(psp, pins.substr(0, pins.size() - 10));
  WriteFile(folder.File("whole.psp"), pins);
  std::filesystem::create_directory(folder.File("locked"));
  std::filesystem::permissions(folder.File("locked"), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
  struct Case {
    const char* name;
    std::string command;
    int status;
    std::string message;
    bool deniedToRoot;  // root may write anywhere: no "Permission denied" to see
  };
  const Case cases[] = {
      {"ends early", kPsp2Ov2 + " -q " + Quote(psp), 2, "psp2ov2: " + psp + ": file ends early (pin 3 of 3)", false},
      {"missing", kPsp2Ov2 + " -q " + Quote(folder.File("absent.psp")), 2,
       "psp2ov2: " + folder.File("absent.psp") + ": No such file or directory", false},
      {"summary to a full disk", kPsp2Ov2 + " " + Quote(folder.File("whole.psp")) + " >/dev/full", 2,
       "psp2ov2: cannot write to standard output: No space left on device", false},
      {"version to a full disk", kMakeOv2 + " --version >/dev/full", 2,
       "makeov2: cannot write to standard output: No space left on device", false},
      {"a folder without write permission",
       kPsp2Ov2 + " -q -o " + Quote(folder.File("locked/trip.ov2")) + " " + Quote(folder.File("whole.psp")), 2,
       "psp2ov2: cannot write " + folder.File("locked/trip.asc") + ": Permission denied", true},
  };
  for (const Case& c : cases) {
    if (c.deniedToRoot && geteuid() == 0) {
      std::printf("[ SKIPPED  ] %s: running as root, which no permission denies\n", c.name);
      continue;
    }
    // The shell's own redirection comes after RunTool's, so the command is grouped.
    const RunResult r = RunTool(folder, "{ " + c.command + "; }");
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(r.err.find("unit "), std::string::npos) << c.name << ": " << r.err;
  }
}
#endif

#ifndef _WIN32
// GPSBabel drops commas and double quotes from the names it writes.
std::string WithoutCommasAndQuotes(std::string name) {
  name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == ',' || c == '"'; }),
             name.end());
  return name;
}

TEST(GpsBabelInterop, ReadsOurOverlayAndWeReadItsAsc) {
  if (std::system("gpsbabel -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "gpsbabel is not installed";
  TempFolder folder;
  std::vector<Pin> pins = {
      {36.16270 * kDegree, -86.78190 * kDegree, "Nashville, TN"},
      {-33.86785 * kDegree, 151.20732 * kDegree, "Say \"G'day\""},
      {48.85837 * kDegree, 2.29448 * kDegree, "Caf\xE9 de la Tour \xFC\xDF"},
      {-0.00001 * kDegree, -0.00004 * kDegree, "Near zero"},
      {89.99999 * kDegree, 179.99999 * kDegree, "North east corner"},
      {-89.99999 * kDegree, -179.99999 * kDegree, "South west corner"},
  };
  for (int i = 0; i < 300; ++i) {
    pins.push_back({(40 + i * 0.013) * kDegree, (-75 - i * 0.017) * kDegree,
                    "Grid " + std::to_string(i)});
  }
  const std::string psp = folder.File("interop.psp");
  WriteFile(psp, PushpinFile(pins));
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q " + Quote(psp)).status, 0);
  const auto ours = AscPoints(ReadFile(folder.File("interop.asc")));
  ASSERT_EQ(ours.size(), pins.size());

  const std::string back = folder.File("back.asc");
  const RunResult g = RunTool(folder, "gpsbabel -i tomtom -f " + Quote(folder.File("interop.ov2")) +
                                      " -o tomtom_asc -F " + Quote(back));
  ASSERT_EQ(g.status, 0) << g.err;
  // Compare by order in our overlay, which GPSBabel keeps.
  const auto theirs = AscPoints(ReadFile(back));
  const test::Ov2Contents ov2 = DecodeFile(folder.File("interop.ov2"));
  ASSERT_EQ(theirs.size(), ov2.pois.size());
  for (std::size_t i = 0; i < theirs.size(); ++i) {
    EXPECT_EQ(theirs[i].name, WithoutCommasAndQuotes(ov2.pois[i].name)) << "point " << i;
    EXPECT_LE(std::abs(theirs[i].longitude - ov2.pois[i].longitude), 1) << ov2.pois[i].name;
    EXPECT_LE(std::abs(theirs[i].latitude - ov2.pois[i].latitude), 1) << ov2.pois[i].name;
  }
  // Every point of the .asc came through, names and coordinates.
  auto expected = ours;
  for (auto& p : expected) p.name = WithoutCommasAndQuotes(p.name);
  auto actual = theirs;
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  EXPECT_TRUE(expected == actual) << "GPSBabel did not read back the points we wrote";

  // And makeov2 reads GPSBabel's .asc, title lines and all.
  const RunResult m = RunTool(folder, kMakeOv2 + " " + Quote(back));
  EXPECT_EQ(m.status, 0) << m.err;
  const test::Ov2Contents again = DecodeFile(folder.File("back.ov2"));
  ASSERT_TRUE(again.faults.empty()) << test::JoinFaults(again);
  auto reread = again.pois;
  std::sort(reread.begin(), reread.end());
  EXPECT_TRUE(reread == actual);
}
#endif

}  // namespace
}  // namespace qh
