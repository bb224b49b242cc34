// GPSBabel reads our overlays, and we read the .asc it writes.
#include "tests/tools/tools_test_support.h"

namespace qh {
namespace {

using namespace tools_test;

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
