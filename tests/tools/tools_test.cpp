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
#include <sys/wait.h>
#endif

#include "converter/asc_output.h"
#include "converter/pushpin_reader.h"
#include "overlay/asc_reader.h"
#include "resources/symbol/default_symbol.h"
#include "tests/overlay/ov2_check.h"
#include "tests/overlay/temp_folder.h"

namespace qh {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

struct RunResult {
  int status = -1;
  std::string out, err;
};

// Runs a command line through the shell with its outputs caught in files.
RunResult RunTool(const TempFolder& folder, const std::string& command) {
  const std::string out = folder.File("run.stdout"), err = folder.File("run.stderr");
  const int raw = std::system((command + " >\"" + out + "\" 2>\"" + err + "\"").c_str());
  RunResult r;
#ifdef _WIN32
  r.status = raw;
#else
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return r;
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }
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
      points.push_back({p.longitude_units, p.latitude_units, std::string(p.text)});
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
      : lat_rad(lat), lon_rad(lon), name(std::move(n)), note1(std::move(n1)), note2(std::move(n2)) {}
  double lat_rad, lon_rad;
  std::string name, note1, note2;
  std::uint8_t flag = 0;
};

void PutLe(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string PushpinFile(const std::vector<Pin>& pins) {
  std::string out(12, '\x07');
  PutLe(out, pins.size(), 4);
  out.append(16, '\0');
  std::int32_t id = 1;
  for (const Pin& pin : pins) {
    PutLe(out, static_cast<std::uint32_t>(id++), 4);
    out.push_back(static_cast<char>(pin.flag));
    std::uint64_t bits;
    std::memcpy(&bits, &pin.lat_rad, 8);
    PutLe(out, bits, 8);
    std::memcpy(&bits, &pin.lon_rad, 8);
    PutLe(out, bits, 8);
    PutLe(out, 20, 4);
    PutLe(out, 0, 4);
    for (const std::string* text : {&pin.name, &pin.note1, &pin.note2}) {
      out.push_back(static_cast<char>(text->size()));
      for (char c : *text) {
        out.push_back(c);
        out.push_back('\0');
      }
    }
  }
  return out;
}

constexpr double kDegree = 1.0 / 57.295780181884765625;

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

// Many pins over several batches of lines, with awkward texts (quotes, and line breaks,
// which the ".asc" holds as blanks) and the coordinates that the overlay's shortcut
// must leave to the general reader: longitudes beyond the ".asc" columns.
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
  pins[10].lon_rad = 12000 * kDegree;  // asterisks in the longitude column
  pins[11].lat_rad = -1000.000001 * kDegree;
  pins[12].lat_rad = -0.000001 * kDegree;  // prints without a sign
  pins[13].lon_rad = -999.999994 * kDegree;
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
    std::vector<std::string> ours_lines = Lines(ours.err), theirs_lines = Lines(theirs.err);
    ASSERT_EQ(ours_lines.size(), theirs_lines.size()) << ours.err << "\n--\n" << theirs.err;
    ASSERT_GE(ours_lines.size(), 2u);
    for (std::size_t i = 0; i < ours_lines.size(); ++i) {
      const std::string where_ours = ours_lines[i].substr(ours_lines[i].find(".asc:"));
      const std::string where_theirs = theirs_lines[i].substr(theirs_lines[i].find(".asc:"));
      EXPECT_EQ(where_ours.substr(0, where_ours.find(';')), where_theirs) << "report " << i;
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
  EXPECT_NE(r.err.find("end-of-file during read"), std::string::npos) << r.err;
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

TEST(Psp2Ov2, UsageErrorsExitWithTwo) {
  TempFolder folder;
  EXPECT_EQ(RunTool(folder, kPsp2Ov2).status, 2);
  EXPECT_EQ(RunTool(folder, kPsp2Ov2 + " --offset 1 x.psp").status, 2);
  EXPECT_EQ(RunTool(folder, kPsp2Ov2 + " -o a.ov2 x.psp y.psp").status, 2);
  EXPECT_EQ(RunTool(folder, kPsp2Ov2 + " --bogus x.psp").status, 2);
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
  EXPECT_NE(r.err.find(asc + ":2:"), std::string::npos) << r.err;
  EXPECT_EQ(DecodeFile(folder.File("pts.ov2")).pois.size(), 2u);

  WriteFile(asc, " 5,6,\"only\"\n");
  r = RunTool(folder, kMakeOv2 + " " + Quote(asc));
  EXPECT_EQ(r.status, 0) << r.err;
  const auto replaced = DecodeFile(folder.File("pts.ov2"));
  ASSERT_EQ(replaced.pois.size(), 1u) << "the old overlay was not replaced";
  EXPECT_EQ(replaced.pois[0].name, "only");

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

TEST(MakeOv2, AnEmptyInputGivesAnEmptyOverlay) {
  TempFolder folder;
  const std::string asc = folder.File("none.asc");
  WriteFile(asc, "");
  const RunResult r = RunTool(folder, kMakeOv2 + " " + Quote(asc));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(folder.File("none.ov2")));
  EXPECT_EQ(ReadFile(folder.File("none.ov2")), "");
}

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
