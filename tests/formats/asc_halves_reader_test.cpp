#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/asc_halves_reader.h"
#include "formats/asc_reader.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

// Everything a reader tells of a file, one entry a call, and how it ended.
template <class Reader>
std::vector<std::string> Trace(Reader& reader, const std::string& path) {
  std::vector<std::string> seen;
  if (!reader.Open(path)) return {"cannot open"};
  AscPoint point;
  for (;;) {
    const AscReader::Result result = reader.Next(point);
    const std::string line = std::to_string(reader.LineNumber());
    if (result == AscReader::Result::kPoint) {
      seen.push_back("point at " + line + ": " + std::to_string(point.longitude) + " " +
                     std::to_string(point.latitude) + " " + std::to_string(point.longitudeUnits) +
                     " " + std::to_string(point.latitudeUnits) + " " + std::string(point.text) +
                     (point.nulInText ? " (NUL)" : ""));
    } else if (result == AscReader::Result::kBadLine) {
      const ContentError bad = reader.BadLine();
      seen.push_back("bad at " + line + " (" + std::to_string(bad.line) + "): " + bad.what);
    } else {
      seen.push_back((result == AscReader::Result::kEnd ? "end at " : "failed at ") + line +
                     ", " + std::to_string(reader.TitleLines()) + " titles: " +
                     reader.Error().reason);
      return seen;
    }
  }
}

std::string Points(int count, const char* end) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    lines += std::to_string(i % 170) + "." + std::to_string(i % 100000) + ",-" +
             std::to_string(i % 80) + ".5,\"p" + std::to_string(i) + "\"" + end;
  }
  return lines;
}

// A file read in two halves gives what one pass gives, call by call, wherever its
// middle falls and whatever lies around it: its line numbers, bad lines, titles and
// end, and where the halves cannot be read apart (titles past the middle, a DOS end
// mark in the first half) as well.
TEST(AscHalvesReader, ReadsWhatOnePassReads) {
  // A byte-order mark is passed over at the start of the file alone.
  const std::string mixed = Points(3000, "\r\n") + "x,1,\"bad\"\n\n; note\r1,2,\"a" + '\0' +
                            "b\"\r" + Points(3000, "\n") + "1,95,\"north of the pole\"\r\n" +
                            Points(6000, "\r\n") + "\xEF\xBB\xBF" "1,2,\"mark past the middle\"\n" +
                            Points(6000, "\r\n") + "5,6,\"no line end\"";
  const std::string longLine = std::string(kAscLineLimit + 10, 'x');
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"a mix of lines and line ends", "\xEF\xBB\xBFTitle\r\n" + mixed},
      {"titles past the middle", std::string(5000, '\n') + "Title, not a point\n" +
                                     std::string(5000, '\n') + "Title again\n" + Points(10, "\n")},
      {"an end mark in the first half", Points(100, "\n") + "\x1A\n" + Points(1000, "\n")},
      {"line ends past the middle after an end mark, then a point",
       Points(1000, "\n") + "\x1A\n" + std::string(60000, '\n') + "1,2,\"late\"\n"},
      {"an end mark in the second half", Points(1000, "\n") + "\x1A\r\n" + Points(10, "\n")},
      {"a line too long in the second half", Points(100000, "\n") + longLine + "\n"},
      {"a line too long in the first half", longLine + "\n" + Points(100000, "\n")},
  };
  test::TempFolder folder;
  for (const auto& c : cases) {
    const std::string path = folder.File("points.asc");
    ASSERT_TRUE(test::WriteFile(path, c.text));
    AscReader onePass;
    AscHalvesReader halves(0);
    const std::vector<std::string> expected = Trace(onePass, path);
    const std::vector<std::string> seen = Trace(halves, path);
    ASSERT_EQ(seen.size(), expected.size()) << c.what << ": ends " << seen.back() << ", not "
                                            << expected.back();
    for (std::size_t i = 0; i < seen.size(); ++i) {
      ASSERT_EQ(seen[i], expected[i]) << c.what << ", call " << i + 1;
    }
  }
}

}  // namespace
}  // namespace qh
