// makeov2 run as a user runs it: .asc in, .ov2 out, exit codes and messages.
#include "tests/tools/tools_test_support.h"

namespace qh {
namespace {

using namespace tools_test;

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

}  // namespace
}  // namespace qh
