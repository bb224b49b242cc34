// psp2ov2 run as a user runs it: pushpin files in, .asc, .ov2 and .bmp out, exit codes.
#include "tests/tools/tools_test_support.h"

namespace qh {
namespace {

using namespace tools_test;

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
  EXPECT_NE(r.err.find(":2: the longitude did not fit the .asc columns; the point is left out "
                       "of the overlay\n"),
            std::string::npos)
      << r.err;
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
      {"--memory 1.5 " + Quote(psp), "--memory takes a whole number of MB"},
      {"--memory -1 " + Quote(psp), "--memory takes a whole number of MB"},
      {"--memory 99999999999 " + Quote(psp), "--memory takes a whole number of MB"},
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

// Beyond --memory the index is split on the disk: the same overlay as in memory, with
// nothing left beside it; makeov2 takes the same option.
TEST(Psp2Ov2, AnIndexBeyondItsMemoryGivesTheSameOverlay) {
  TempFolder folder;
  std::vector<Pin> pins;
  std::uint64_t state = 99;
  const auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < 40000; ++i) {
    pins.push_back({(next() * 170 - 85) * kDegree, (next() * 360 - 180) * kDegree, "pin " + std::to_string(i)});
  }
  const std::string psp = folder.File("many.psp");
  WriteFile(psp, PushpinFile(pins));
  ASSERT_EQ(RunTool(folder, kPsp2Ov2 + " -q --memory 0 " + Quote(psp)).status, 0);
  const std::string inMemory = ReadFile(folder.File("many.ov2"));
  WriteFile(folder.File("copy.asc"), ReadFile(folder.File("many.asc")));
  const RunResult r = RunTool(folder, kPsp2Ov2 + " -q --memory 1 " + Quote(psp));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ReadFile(folder.File("many.ov2")) == inMemory) << "psp2ov2 --memory 1";
  const RunResult m = RunTool(folder, kMakeOv2 + " --memory 1 " + Quote(folder.File("copy.asc")));
  ASSERT_EQ(m.status, 0) << m.err;
  EXPECT_TRUE(ReadFile(folder.File("copy.ov2")) == inMemory) << "makeov2 --memory 1";
  EXPECT_EQ(Joined(Names(folder)), "copy.asc copy.ov2 many.asc many.bmp many.ov2 many.psp");
}

// A run that cannot finish is refused before a pin is read, from the header's count:
// an overlay beyond the format's 2 GiB (a sparse file holds the pins), outputs beyond
// the free space of a small tmpfs (where one can be mounted). Nothing is written, and
// earlier outputs stay.
TEST(Psp2Ov2, RunsThatCannotFinishAreRefusedBeforeTheLongWork) {
  TempFolder folder;
  const std::string huge = folder.File("huge.psp");
  const std::int32_t pins = 160000000;
  WriteFile(huge, WithCount(ThreePins().substr(0, 32), static_cast<std::uint32_t>(pins)));
  std::filesystem::resize_file(huge, 32 + std::uint64_t{32} * pins);
  const RunResult r = RunTool(folder, kPsp2Ov2 + " " + Quote(huge));
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("huge.psp: its 160000000 pins make an overlay of at least 2240000021 "
                       "bytes, more than an overlay can hold (2 GiB); nothing is written"),
            std::string::npos) << r.err;
  EXPECT_EQ(folder.Entries(), 1u) << Joined(Names(folder));

  const bool mountable =
      std::system("unshare -m sh -c 'mount -t tmpfs -o size=64k qh /mnt' >/dev/null 2>&1") == 0;
  if (!mountable) GTEST_SKIP() << "no tmpfs can be mounted here";
  std::vector<Pin> many;
  for (int i = 0; i < 3000; ++i) many.push_back({i * 1e-4, -i * 1e-4, "p"});
  const std::string psp = folder.File("many.psp");
  WriteFile(psp, PushpinFile(many));
  const std::string volume = folder.File("volume");
  std::filesystem::create_directory(volume);
  const std::string script = folder.File("small.sh");
  WriteFile(script, "mount -t tmpfs -o size=64k qh " + Quote(volume) + "\n" +
                        "printf earlier > " + Quote(volume) + "/many.asc\n" + kPsp2Ov2 +
                        " -q -o " + Quote(volume + "/many.ov2") + " " + Quote(psp) +
                        "\nstatus=$?\nls -A " + Quote(volume) + " >&2\ncat " + Quote(volume) +
                        "/many.asc >&2\nexit $status\n");
  const RunResult small = RunTool(folder, "unshare -m sh " + Quote(script));
  EXPECT_EQ(small.status, 2) << small.err;
  EXPECT_NE(small.err.find("many.psp: its 3000 pins need at least 0.1 MiB on the disk of " + volume +
                           "/many.asc, which has"), std::string::npos)
      << small.err;
  EXPECT_NE(small.err.find("; nothing is written\nmany.asc\nearlier"), std::string::npos)
      << "something was written: " << small.err;
}

#ifndef _WIN32

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
#endif

}  // namespace
}  // namespace qh
