// ov2 run as a user runs it: overlays made from every kind of input, read back out,
// checked, and exchanged with GPSBabel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#endif

#include "formats/csv_reader.h"
#include "tests/formats/ov2_check.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/tool_run.h"
#include "tools/ov2/input_kind.h"

namespace qh {
namespace {

using test::DecodedPoi;
using test::Quote;
using test::ReadFile;
using test::RunResult;
using test::RunTool;
using test::TempFolder;
using test::WriteFile;

const std::string kOv2 = Quote(QH_OV2);
const std::string kPsp2Ov2 = Quote(QH_PSP2OV2);

std::vector<DecodedPoi> SortedPoints(const std::string& overlay) {
  const test::Ov2Contents contents = test::DecodeOv2(ReadFile(overlay));
  EXPECT_TRUE(contents.faults.empty()) << overlay << ": " << test::JoinFaults(contents);
  std::vector<DecodedPoi> points = contents.pois;
  std::sort(points.begin(), points.end());
  return points;
}

RunResult Ov2(const TempFolder& folder, const std::string& arguments) {
  return RunTool(folder, kOv2 + " " + arguments);
}

// Pins whose texts need care on every way out: a comma, quotes, an ampersand, a
// character of Windows-1252 beyond ASCII, one beyond it, points on both sides of zero.
std::vector<test::StoredPin> AwkwardPins() {
  std::vector<test::StoredPin> pins = test::SamplePins();
  for (const test::StoredPin& edge : test::EdgePins()) pins.push_back(edge);
  test::StoredPin quoted;
  quoted.latitudeRadians = -33.86785 * test::kRadiansPerDegree;
  quoted.longitudeRadians = 151.20732 * test::kRadiansPerDegree;
  quoted.name = u"Say \"G'day\", mate & <go> caf\u00e9";
  quoted.note1 = u"; harbour";
  pins.push_back(quoted);
  return pins;
}

TEST(Ov2Make, PushpinsGiveWhatPsp2ov2WritesByteForByte) {
  TempFolder folder;
  const std::string psp = folder.File("pins.psp");
  WriteFile(psp, test::PushpinBytes(AwkwardPins()));
  const char* optionSets[] = {"", "--append-notes", "--offset 0.001,-0.5", "--utf8",
                              "--flag2-only --append-notes --utf8"};
  for (const char* options : optionSets) {
    const std::string ours = folder.File("ours.ov2");
    const RunResult made = Ov2(folder, "make " + Quote(psp) + " -o " + Quote(ours) + " " + options);
    const RunResult theirs = RunTool(folder, kPsp2Ov2 + " -q " + options + " " + Quote(psp));
    ASSERT_EQ(theirs.status, made.status) << options << "\n" << made.err << theirs.err;
    const std::string bytes = ReadFile(ours);
    EXPECT_GT(bytes.size(), 21 * AwkwardPins().size()) << options;
    EXPECT_EQ(bytes, ReadFile(folder.File("pins.ov2"))) << options;
  }
}

TEST(Ov2RoundTrip, AnOverlayReadOutAndMadeAgainHasTheSamePointsAndTexts) {
  TempFolder folder;
  const std::string psp = folder.File("pins.psp");
  WriteFile(psp, test::PushpinBytes(AwkwardPins()));
  const std::string first = folder.File("first.ov2");
  ASSERT_EQ(Ov2(folder, "make " + Quote(psp) + " -o " + Quote(first)).status, 0);
  const std::vector<DecodedPoi> expected = SortedPoints(first);
  ASSERT_EQ(expected.size(), AwkwardPins().size());
  for (const char* format : {"asc", "gpx", "csv", "ASC"}) {
    const std::string text = folder.File(std::string("out.") + format);
    const std::string again = folder.File(std::string("again-") + format + ".ov2");
    const RunResult read = Ov2(folder, "read " + Quote(first) + " -o " + Quote(text));
    ASSERT_EQ(read.status, 0) << format << ": " << read.err;
    const RunResult made = Ov2(folder, "make " + Quote(text) + " -o " + Quote(again));
    ASSERT_EQ(made.status, 0) << format << ": " << made.err;
    EXPECT_EQ(SortedPoints(again), expected) << format;
  }
  // The same through standard output.
  const RunResult piped = Ov2(folder, "read " + Quote(first) + " -f asc");
  EXPECT_EQ(piped.out, ReadFile(folder.File("out.asc")));
}

TEST(Ov2Make, MixedInputsByExtensionAndContentWithDuplicatesDropped) {
  TempFolder folder;
  WriteFile(folder.File("a.CSV"), "name;lat;lon\r\nNashville;36,16270;-86,78190\r\nLondon;51.5;-0.12\r\n");
  WriteFile(folder.File("b"),  // GPX without its extension
            "<?xml version=\"1.0\"?><gpx version=\"1.1\"><wpt lat=\"36.1627\" lon=\"-86.7819\">"
            "<name>Nashville</name></wpt><wpt lat=\"-1\" lon=\"2\"><name>Sea</name></wpt></gpx>");
  WriteFile(folder.File("c.Asc"), "  -0.12000,  51.50000,\"London\"\r\n    3.00000,  4.00000,\"New\"\r\n");
  const std::string out = folder.File("all.ov2");
  const std::string inputs = Quote(folder.File("a.CSV")) + " " + Quote(folder.File("b")) + " " +
                             Quote(folder.File("c.Asc"));
  const RunResult made = Ov2(folder, "make " + inputs + " -o " + Quote(out) + " --dedupe");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("4 points from 3 inputs, 2 duplicates dropped"), std::string::npos) << made.out;
  const std::vector<DecodedPoi> expected = {
      {-8678190, 3616270, "Nashville"}, {-12000, 5150000, "London"}, {300000, 400000, "New"},
      {200000, -100000, "Sea"}};
  auto sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(SortedPoints(out), sorted);
  const RunResult all = Ov2(folder, "make " + inputs + " -o " + Quote(out));
  EXPECT_NE(all.out.find("6 points from 3 inputs"), std::string::npos) << all.out;
}

// A CSV file a spreadsheet saved in Windows-1252 is read as that, and said so, rather
// than its letters turned into question marks; one it saved as "Unicode text" is read
// as the UTF-16 its byte order mark says.
TEST(Ov2Make, ACsvFileThatIsNoUtf8IsReadAsWindows1252OrAsItsByteOrderMarkSays) {
  TempFolder folder;
  WriteFile(folder.File("excel.csv"), "lat;lon;name\r\n48,85;2,29;Caf\xE9 \x80\r\n");
  const std::string out = folder.File("excel.ov2");
  for (const char* options : {"", "--utf8"}) {
    const RunResult made = Ov2(folder, "make " + Quote(folder.File("excel.csv")) + " -o " + Quote(out) + " " + options);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.err.find("excel.csv: not UTF-8: read as Windows-1252"), std::string::npos) << made.err;
    const auto points = SortedPoints(out);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].name, *options == '\0' ? "Caf\xE9 \x80" : "Caf\xC3\xA9 \xE2\x82\xAC") << options;
  }
  // A spreadsheet's "Unicode text": UTF-16 with its byte order mark, columns parted by
  // tabs, named without an extension ov2 knows. Both byte orders.
  const std::u16string text = u"Name\tLat\tLon\r\n\u0141\u00F3d\u017A \U0001F3F0\t51,76\t19,46\r\n";
  for (const bool bigEndian : {false, true}) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
      const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes += bigEndian ? high : low;
      bytes += bigEndian ? low : high;
    }
    WriteFile(folder.File("unicode.txt"), bytes);
    const RunResult made = Ov2(folder, "make " + Quote(folder.File("unicode.txt")) + " -o " + Quote(out) + " --utf8");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "") << bigEndian;
    const auto points = SortedPoints(out);
    ASSERT_EQ(points.size(), 1u) << bigEndian;
    EXPECT_EQ(points[0].name, "\xC5\x81\xC3\xB3" "d\xC5\xBA \xF0\x9F\x8F\xB0") << bigEndian;
  }
}

TEST(Ov2Make, TextsAreWindows1252UnlessUtf8IsAsked) {
  TempFolder folder;
  WriteFile(folder.File("p.csv"), "lat,lon,name,desc\n51.76,19.46,\xC5\x81\xC3\xB3" "d\xC5\xBA,city\n");
  struct Case {
    const char* options;
    const char* name;
  };
  const Case cases[] = {{"", "?\xF3" "d?"},
                        {"--utf8", "\xC5\x81\xC3\xB3" "d\xC5\xBA"},
                        {"--append-notes", "?\xF3" "d? city"}};
  for (const Case& c : cases) {
    const std::string out = folder.File("p.ov2");
    ASSERT_EQ(Ov2(folder, "make " + Quote(folder.File("p.csv")) + " -o " + Quote(out) + " " + c.options).status, 0);
    const auto points = SortedPoints(out);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].name, c.name) << c.options;
    // Read out as CSV, the text is UTF-8 again.
    const RunResult csv = Ov2(folder, "read " + Quote(out) + " -f csv " +
                                          (std::string(c.options) == "--utf8" ? "--utf8" : ""));
    EXPECT_NE(csv.out.find(std::string(c.options) == "--utf8" ? "\xC5\x81\xC3\xB3" "d\xC5\xBA"
                                                                 : "?\xC3\xB3" "d?"),
              std::string::npos) << c.options << ": " << csv.out;
  }
}

struct BrokenOverlay {
  const char* name;
  std::string bytes;
  std::string offset;  // "byte N" of the first fault
  std::size_t points;  // what a lenient read gives
  std::vector<const char*> warning;  // words of its warning line
  const char* faults;  // check's count of them by kind
};

std::string Le32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

std::vector<BrokenOverlay> BrokenOverlays(const std::string& good) {
  std::string lying = good;
  lying.replace(5, 4, Le32(0));  // the outer skipper's east edge moved to 0 degrees
  std::string isShort = good;   // its east edge 1e-5 degree short of the point at 54
  isShort.replace(5, 4, Le32(5399999));
  std::string outside = good;
  outside.replace(1, 4, Le32(static_cast<std::uint32_t>(good.size() + 1)));
  const std::string junkAt = "byte " + std::to_string(good.size());
  return {{"truncated", good.substr(0, good.size() - 3), "byte 0", 49,
           {"did not add up and w", "bytes after the last record were passed over"},
           "bytes after the last record"},
          {"length outside", outside, "byte 0", 50,
           {": 1 skipper did not add up and was passed over\n"},
           "1 fault: 1 skipper that does not add up\n"},
          {"junk after the last record", good + std::string("JUNK\0\1\2", 7), junkAt, 50,
           {": 7 bytes after the last record were passed over\n"},
           "1 fault: 7 bytes after the last record\n"},
          {"box one unit short", isShort, "byte ", 50, {": 1 point lay outside its block's box\n"},
           "1 fault: 1 point outside its block's box\n"},
          // Its west edge is now east of its east edge: the corners are taken the other
          // way round, and only the westmost point is inside.
          {"lying skipper", lying, "byte 0", 50,
           {": 49 points lay outside their block's box; 1 skipper box had its corners in the "
            "other order\n"},
           "50 faults: 49 points outside their block's box, 1 skipper box with its corners in "
           "the other order\n"}};
}

std::size_t Count(const std::string& text, const std::string& word) {
  std::size_t count = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    ++count;
  }
  return count;
}

// A broken overlay: check lists its faults (20 at most) and exits 1, a strict read
// refuses it, a lenient read gives its points with one warning line, and make of it
// is the repair.
void ExpectBrokenOverlayHandled(const TempFolder& folder, const std::string& path,
                                const BrokenOverlay& broken) {
  const RunResult check = Ov2(folder, "check " + Quote(path));
  EXPECT_EQ(check.status, 1) << broken.name;
  EXPECT_EQ(check.out.find(path + ": " + broken.offset), 0u) << broken.name << ": " << check.out;
  // The last line counts the faults; only the first 20 have lines of their own.
  const std::size_t counted = check.out.find(path + ": ", check.out.rfind('\n', check.out.size() - 2));
  ASSERT_NE(counted, std::string::npos) << broken.name << ": " << check.out;
  const std::size_t faults = std::stoul(check.out.substr(counted + path.size() + 2));
  EXPECT_EQ(Count(check.out, ": byte "), std::min<std::size_t>(faults, 20)) << broken.name << ": " << check.out;
  EXPECT_NE(check.out.find(broken.faults), std::string::npos) << broken.name << ": " << check.out;
  const std::string gpx = folder.File("out.gpx");
  const RunResult strict = Ov2(folder, "read --strict " + Quote(path) + " -o " + Quote(gpx));
  EXPECT_EQ(strict.status, 2) << broken.name;
  EXPECT_NE(strict.err.find(broken.offset), std::string::npos) << broken.name << ": " << strict.err;
  EXPECT_FALSE(std::filesystem::exists(gpx)) << broken.name;
  const RunResult read = Ov2(folder, "read " + Quote(path) + " -o " + Quote(gpx));
  EXPECT_EQ(read.status, 0) << broken.name << ": " << read.err;
  EXPECT_EQ(Count(ReadFile(gpx), "<wpt "), broken.points) << broken.name;
  EXPECT_EQ(Count(read.err, "\n"), 1u) << broken.name << ": " << read.err;
  for (const char* words : broken.warning) {
    EXPECT_NE(read.err.find(words), std::string::npos) << broken.name << ": " << read.err;
  }
  const std::string fixed = folder.File("fixed.ov2");
  EXPECT_EQ(Ov2(folder, "make --strict " + Quote(path) + " -o " + Quote(fixed)).status, 2);
  const RunResult make = Ov2(folder, "make " + Quote(path) + " -o " + Quote(fixed));
  EXPECT_EQ(make.status, 0) << broken.name << ": " << make.err;
  EXPECT_EQ(SortedPoints(fixed).size(), broken.points) << broken.name;
  EXPECT_EQ(Ov2(folder, "check " + Quote(fixed)).status, 0) << broken.name;
}

TEST(Ov2Check, ValidOverlaysAreCountedAndBrokenOnesRepairedUnlessStrict) {
  TempFolder folder;
  std::string csv = "lat,lon,name\n";
  for (int i = 0; i < 50; ++i) csv += std::to_string(10 + i) + "," + std::to_string(5 + i) + ",P" + std::to_string(i) + "\n";
  WriteFile(folder.File("p.csv"), csv);
  const std::string good = folder.File("good.ov2");
  ASSERT_EQ(Ov2(folder, "make " + Quote(folder.File("p.csv")) + " -o " + Quote(good)).status, 0);
  const RunResult valid = Ov2(folder, "check " + Quote(good));
  EXPECT_EQ(valid.status, 0);
  const test::Ov2Contents contents = test::DecodeOv2(ReadFile(good));
  EXPECT_NE(valid.out.find("50 points, " + std::to_string(contents.skippers) + " blocks, valid"),
            std::string::npos) << valid.out;
  for (const BrokenOverlay& broken : BrokenOverlays(ReadFile(good))) {
    const std::string path = folder.File("broken.ov2");
    WriteFile(path, broken.bytes);
    ExpectBrokenOverlayHandled(folder, path, broken);
    std::filesystem::remove(folder.File("out.gpx"));
    std::filesystem::remove(folder.File("fixed.ov2"));
  }
}

// A point off the Earth: check calls it a fault; read leaves it out, counts it in its
// warning and exits 1, as for any point left out.
TEST(Ov2Check, APointOffTheEarthIsAFaultForCheckAndLeftOutByRead) {
  TempFolder folder;
  const auto poi = [](std::uint32_t lon, std::uint32_t lat, const std::string& name) {
    return std::string(1, '\2') + Le32(static_cast<std::uint32_t>(14 + name.size())) + Le32(lon) +
           Le32(lat) + name + std::string(1, '\0');
  };
  const std::string overlay = poi(18000001, 100, "Off") + poi(100, 200, "On");
  const std::string path = folder.File("earth.ov2");
  WriteFile(path, overlay);
  const RunResult check = Ov2(folder, "check " + Quote(path));
  EXPECT_EQ(check.status, 1) << check.out;
  EXPECT_NE(check.out.find(path + ": byte 0: point lies off the Earth"), std::string::npos) << check.out;
  const RunResult read = Ov2(folder, "read " + Quote(path) + " -f csv");
  EXPECT_EQ(read.status, 1) << read.err;
  EXPECT_EQ(read.out, "lat,lon,name,desc\r\n0.00200,0.00100,On,\r\n");
  EXPECT_NE(read.err.find("1 point off the Earth was left out"), std::string::npos) << read.err;
  EXPECT_EQ(Ov2(folder, "read --strict " + Quote(path) + " -f csv").status, 2);
}

TEST(Ov2Read, OtherProgramsRecordsExtendedPointsAndUnknownTypes) {
  TempFolder folder;
  auto record = [](char type, const std::string& body) {
    return std::string(1, type) + Le32(static_cast<std::uint32_t>(5 + body.size())) + body;
  };
  const std::string overlay =
      record(3, Le32(static_cast<std::uint32_t>(-8678190)) + Le32(3616270) +
                    std::string("Caf\xE9\0id-7\0+1 615 555\0", 21)) +
      record(9, "whatever") + record(0, "deleted") +
      record(2, Le32(100) + Le32(200) + std::string("Plain\0", 6));
  WriteFile(folder.File("other"), overlay);  // no extension: known by its content
  const RunResult check = Ov2(folder, "check " + Quote(folder.File("other")));
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("2 points, 0 blocks, valid"), std::string::npos) << check.out;
  EXPECT_NE(check.err.find("record at byte 34 of type 9 passed over"), std::string::npos) << check.err;
  WriteFile(folder.File("one.ov2"), record(2, Le32(100) + Le32(200) + std::string("One\0", 4)));
  const RunResult one = Ov2(folder, "check " + Quote(folder.File("one.ov2")));
  EXPECT_NE(one.out.find(": 1 point, 0 blocks, valid"), std::string::npos) << one.out;
  const RunResult csv = Ov2(folder, "read " + Quote(folder.File("other")) + " -f csv");
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out, "lat,lon,name,desc\r\n36.16270,-86.78190,Caf\xC3\xA9,id-7 +1 615 555\r\n"
                     "0.00200,0.00100,Plain,\r\n");
}

TEST(Ov2, FailuresEndWithTwoAndTheFilesReasonAndLeaveInputsAlone) {
  TempFolder folder;
  WriteFile(folder.File("p.csv"), "lat,lon,name\n1,2,x\n");
  WriteFile(folder.File("bad.csv"), "lat,lon,name\nnorth,2,x\n3,4,y\n");
  WriteFile(folder.File("none.csv"), "lat,lon,name\nnorth,2,x\n");
  WriteFile(folder.File("broken.gpx"), "<gpx>\n<wpt lat=\"1\" lon=\"2\"></gpx>");
  WriteFile(folder.File("kml.gpx"), "<kml/>");
  WriteFile(folder.File("nameless.csv"), "name,desc\n1,2\n");
  // A picture without its extension: its first bytes read as a pushpin header would
  // claim more pins than it holds.
  std::string picture("BM~\x01\0\0\0\0\0\0v\0\0\0(\0\0\0\x16\0\0\0", 22);
  picture.resize(382, '\x11');
  WriteFile(folder.File("picture"), picture);
  // Inputs that hold something but no point: titles, a track, a record of an unknown
  // type, a pin after a count damaged to 0. Their outputs are not written over.
  WriteFile(folder.File("titles.asc"), "Points of interest\r\nExported by hand\r\n");
  WriteFile(folder.File("track.gpx"), "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
                                      "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk></gpx>");
  WriteFile(folder.File("unknown.ov2"), std::string("\x09\x0a\0\0\0abcde", 10));
  // An overlay cut after its first skipper, which a lenient read passes over.
  std::string cut("\x01\x42\0\0\0", 5);
  cut.resize(30, '\x07');
  WriteFile(folder.File("cut.ov2"), cut);
  const std::string uncounted = test::PushpinBytes({test::SamplePins().front()}, 0);
  WriteFile(folder.File("uncounted.psp"), uncounted);
  for (const char* kept : {"keep.ov2", "keep.csv", "keep.svg"}) WriteFile(folder.File(kept), kept);
  const auto keep = [&](const char* command, const char* input, const char* output) {
    return std::string(command) + " " + Quote(folder.File(input)) + " -o " + Quote(folder.File(output));
  };
  const std::string p = Quote(folder.File("p.csv"));
  const auto made = [&](const char* input) {
    return "make " + Quote(folder.File(input)) + " -o " + Quote(folder.File("w.ov2"));
  };
  struct Case {
    std::string arguments;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"make " + Quote(folder.File("missing.gpx")) + " -o " + Quote(folder.File("m.ov2")), 2, "No such file or directory"},
      {"make " + p + " -o " + p, 2, "would overwrite the input"},
      {"make " + p + " " + Quote(folder.Path().string() + "/./p.csv") + " -o " + Quote(folder.File("twice.ov2")), 2,
       "are the same file"},
      {"make " + p + " -o " + Quote(folder.Path().string()), 2, "Is a directory"},
      {"read " + p, 2, "either -o FILE or -f"},
      {"read " + p + " -o " + Quote(folder.File("x.kml")), 2, "writes .asc, .gpx or .csv"},
      {"check", 2, "no input"},
      {"draw " + p, 2, "unknown command"},
      {"make " + p + " -o " + Quote(folder.File("o.ov2")) + " --offset 1", 2, "--offset takes"},
      {"check " + p + " --utf8", 2, "check does not take --utf8"},
      {"make " + Quote(folder.File("bad.csv")) + " -o " + Quote(folder.File("b.ov2")), 1, "bad.csv:2: "},
      {"make " + Quote(folder.File("none.csv")) + " -o " + Quote(folder.File("n.ov2")), 1, "not written"},
      {keep("make", "titles.asc", "keep.ov2"), 1,
       "ov2: no input gave a point; " + folder.File("keep.ov2") + " is not written"},
      {keep("make", "uncounted.psp", "keep.ov2"), 1,
       folder.File("uncounted.psp") + ": its header counts 0 pins, but the file holds " +
           std::to_string(uncounted.size() - 32) + " more bytes of pins; they are not read"},
      {keep("read", "track.gpx", "keep.csv"), 1, folder.File("keep.csv") + " is not written"},
      {keep("map", "unknown.ov2", "keep.svg"), 1, folder.File("keep.svg") + " is not written"},
      {keep("make", "cut.ov2", "keep.ov2"), 1, folder.File("keep.ov2") + " is not written"},
      // A file refused for its content: where the fault is, when the format has lines.
      {made("broken.gpx"), 2, "ov2: cannot read " + folder.File("broken.gpx") + ": line 2: "},
      {made("kml.gpx"), 2, "ov2: cannot read " + folder.File("kml.gpx") + ": the document is not GPX"},
      {made("nameless.csv"), 2,
       "ov2: cannot read " + folder.File("nameless.csv") + ": the header line does not name"},
      {made("picture"), 2, folder.File("picture") + ": not a file ov2 reads"},
      // An output named for another kind than the command writes: refused, the file of
      // that name left as it is.
      {"make " + Quote(folder.File("bad.csv")) + " -o " + p, 2, "make writes an overlay (.ov2), not a .csv file"},
      {"map " + p + " -o " + Quote(folder.File("m.ov2")), 2, "map writes an SVG picture (.svg), not a .ov2"},
  };
  for (const Case& c : cases) {
    const RunResult r = Ov2(folder, c.arguments);
    EXPECT_EQ(r.status, c.status) << c.arguments << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.arguments << "\n" << r.err;
  }
  for (const char* help : {"--help", "make --help", "check -h"}) {
    const RunResult r = Ov2(folder, help);
    EXPECT_EQ(r.status, 0) << help;
    EXPECT_EQ(r.out.rfind("Usage: ov2 make", 0), 0u) << help << ": " << r.out;
  }
  EXPECT_EQ(ReadFile(folder.File("p.csv")), "lat,lon,name\n1,2,x\n");
  EXPECT_FALSE(std::filesystem::exists(folder.File("n.ov2")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("m.ov2")));
  EXPECT_EQ(SortedPoints(folder.File("b.ov2")).size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder.File("w.ov2")));
  for (const char* kept : {"keep.ov2", "keep.csv", "keep.svg"}) {
    EXPECT_EQ(ReadFile(folder.File(kept)), kept) << "an earlier output was replaced";
  }
  EXPECT_EQ(folder.Entries(), 16u) << "no temporary file stays";
}

#ifndef _WIN32
// A FIFO given as an input is not opened to tell its kind: the open would wait for a
// writer for good. (A writer stands ready, so that a look that opens it still ends.)
TEST(Ov2, AFifoIsNotOpenedToTellWhatItHolds) {
  TempFolder folder;
  const std::string fifo = folder.File("points");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << fifo;
  std::atomic<bool> met{false};
  std::thread writer([&] {
    const int fd = open(fifo.c_str(), O_WRONLY);
    met = true;
    if (fd >= 0) close(fd);
  });
  EXPECT_EQ(ov2::KindOf(fifo), ov2::InputKind::kUnknown);
  const bool openedByTheLook = met.load();
  const int release = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer go
  writer.join();
  if (release >= 0) close(release);
  EXPECT_FALSE(openedByTheLook);
}
#endif

TEST(Ov2Map, DrawsThePointsOfEveryInputUnderTheFirstInputsName) {
  TempFolder folder;
  WriteFile(folder.File("tennessee.csv"), "lat,lon,name\n36.1627,-86.7819,Nashville\n35.1495,-90.049,Memphis\n");
  const std::string overlay = folder.File("more.ov2");
  ASSERT_EQ(Ov2(folder, "make " + Quote(folder.File("tennessee.csv")) + " -o " + Quote(overlay)).status, 0);
  const std::string svg = folder.File("map.svg");
  const RunResult r = Ov2(folder, "map " + Quote(folder.File("tennessee.csv")) + " " + Quote(overlay) +
                                      " -o " + Quote(svg));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = ReadFile(svg);
  EXPECT_NE(text.find("<title>tennessee and 1 more</title>"), std::string::npos);
  EXPECT_NE(text.find(">4 points</text>"), std::string::npos);
  EXPECT_EQ(Ov2(folder, "map " + Quote(overlay) + " -o " + Quote(overlay)).status, 2);
}

#ifndef _WIN32
TEST(Ov2GpsBabel, ReadsItsOverlaysAndItReadsOurGpx) {
  if (std::system("gpsbabel -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "gpsbabel is not installed";
  TempFolder folder;
  std::string csv = "lat,lon,name\n";
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) {
    names.push_back("Point " + std::to_string(i) + (i % 7 == 0 ? " & \"<quoted>\"" : ""));
    csv += std::to_string(-40 + i * 1.25) + "," + std::to_string(-170 + i * 5.5) + ",\"" +
           (i % 7 == 0 ? "Point " + std::to_string(i) + " & \"\"<quoted>\"\"" : names.back()) + "\"\n";
  }
  WriteFile(folder.File("in.csv"), csv);
  const std::string theirs = folder.File("theirs.ov2");
  ASSERT_EQ(RunTool(folder, "gpsbabel -i unicsv -f " + Quote(folder.File("in.csv")) + " -o tomtom -F " + Quote(theirs)).status, 0);
  const RunResult check = Ov2(folder, "check " + Quote(theirs));
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("60 points"), std::string::npos) << check.out;

  const std::string gpx = folder.File("ours.gpx");
  ASSERT_EQ(Ov2(folder, "read " + Quote(theirs) + " -o " + Quote(gpx)).status, 0);
  const std::string back = folder.File("back.csv");
  const RunResult g = RunTool(folder, "gpsbabel -i gpx -f " + Quote(gpx) + " -o unicsv -F " + Quote(back));
  ASSERT_EQ(g.status, 0) << g.err;
  // GPSBabel's own CSV, read with ours: the same names, and the places its overlay held.
  const std::string backText = ReadFile(back);
  CsvReader reader(backText);
  ASSERT_TRUE(reader.ReadHeader()) << backText;
  std::vector<DecodedPoi> got;
  CsvPoint point;
  while (reader.Next(point) == CsvReader::Result::kPoint) {
    got.push_back({static_cast<std::int32_t>(std::lround(point.longitude * 1e5)),
                   static_cast<std::int32_t>(std::lround(point.latitude * 1e5)), std::string(point.name)});
  }
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, SortedPoints(theirs));
  // And its GPX (1.0, with times and comments) makes an overlay of the same points.
  const std::string theirGpx = folder.File("theirs.gpx");
  ASSERT_EQ(RunTool(folder, "gpsbabel -i unicsv -f " + Quote(folder.File("in.csv")) + " -o gpx -F " +
                                Quote(theirGpx)).status, 0);
  const std::string fromGpx = folder.File("from-gpx.ov2");
  const RunResult made = Ov2(folder, "make " + Quote(theirGpx) + " -o " + Quote(fromGpx));
  ASSERT_EQ(made.status, 0) << made.err;
  const std::vector<DecodedPoi> fromTheirGpx = SortedPoints(fromGpx);
  const std::vector<DecodedPoi> inTheirOverlay = SortedPoints(theirs);
  ASSERT_EQ(fromTheirGpx.size(), inTheirOverlay.size());
  for (std::size_t i = 0; i < fromTheirGpx.size(); ++i) {
    EXPECT_EQ(fromTheirGpx[i].name, inTheirOverlay[i].name);
    // GPSBabel cuts its overlay's coordinates where we round them.
    EXPECT_LE(std::abs(fromTheirGpx[i].longitude - inTheirOverlay[i].longitude), 1) << fromTheirGpx[i].name;
    EXPECT_LE(std::abs(fromTheirGpx[i].latitude - inTheirOverlay[i].latitude), 1) << fromTheirGpx[i].name;
  }
  std::vector<std::string> gotNames;
  for (const auto& p : got) gotNames.push_back(p.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(gotNames, names);
}
#endif

}  // namespace
}  // namespace qh
