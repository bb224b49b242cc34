// The ".asc" reader, the spatial index and the OV2 writer. The streaming reader is held
// against the lines cut out here by the file's line rules: the same points and bad
// lines under the same line numbers, titles only above the first point. The writer's
// fixed-column fast path gives what the general parser gives. The overlay built from
// the points decodes without a fault (skipper lengths land on record boundaries, every
// point inside every box above it, blocks over more than one spot of at most the
// index's size) and holds every
// point exactly once.
#include <algorithm>
#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "formats/asc_reader.h"
#include "files/complete_file.h"
#include "overlay/overlay_builder.h"
#include "overlay/spatial_index.h"
#include "tests/formats/ov2_check.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/temp_folder.h"

namespace {

using qh::fuzz::Shown;

struct Event {
  bool point = false;
  std::size_t lineNumber = 0;
  qh::AscPoint value;
  std::string_view reason;
};

bool SameDouble(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SamePoint(const qh::AscPoint& a, const qh::AscPoint& b) {
  return SameDouble(a.longitude, b.longitude) && SameDouble(a.latitude, b.latitude) &&
         a.longitudeUnits == b.longitudeUnits && a.latitudeUnits == b.latitudeUnits &&
         a.text == b.text;
}

// The lines as the format describes them: LF, CR LF or a lone CR ends a line, and text
// after the last line end is a last line; a line of Ctrl+Z alone ends the file when only
// line ends follow it, and is a bad line (or a title) when anything else does. Points
// and bad lines in order; titles counted.
std::vector<Event> ModelEvents(std::string_view bytes, std::size_t& titles) {
  std::vector<Event> events;
  bool seenPoint = false;
  std::size_t pos = 0, number = 0;
  while (pos < bytes.size()) {
    std::size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::string_view line = bytes.substr(pos, end - pos);
    std::size_t next = end;
    if (next < bytes.size()) next += bytes.substr(end, 2) == "\r\n" ? 2 : 1;
    ++number;
    if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);

    if (qh::IsAscEndMark(line)) {
      if (bytes.find_first_not_of("\r\n", next) == std::string_view::npos) break;
      if (!seenPoint) {
        ++titles;
      } else {
        events.push_back({false, number, {}, qh::kAscEarlyEndMark});
      }
      pos = next;
      continue;
    }
    // The writer's own lines have a faster path: it must read them as the parser does.
    qh::AscPoint fast, parsed;
    std::string_view reason;
    const qh::AscLineKind kind = qh::ParseAscLine(line, parsed, reason);
    if (bytes.substr(end, 2) == "\r\n" && qh::ReadFixedColumnLine(bytes.substr(pos, next - pos), fast)) {
      QH_FUZZ_CHECK(kind == qh::AscLineKind::kPoint && SamePoint(fast, parsed),
                    "the fixed-column path disagrees with the parser on " + Shown(line));
    }
    if (qh::ReadFixedColumnBody(line, fast)) {
      QH_FUZZ_CHECK(kind == qh::AscLineKind::kPoint && SamePoint(fast, parsed),
                    "the fixed-column body disagrees with the parser on " + Shown(line));
    }
    if (kind == qh::AscLineKind::kPoint) {
      seenPoint = true;
      events.push_back({true, number, parsed, {}});
    } else if (kind == qh::AscLineKind::kBad) {
      if (!seenPoint && line.find_first_of(",\"") == std::string_view::npos) {
        ++titles;
      } else {
        events.push_back({false, number, {}, reason});
      }
    }
    pos = next;
  }
  return events;
}

// The point as the overlay holds it: a NUL of the text written as a blank.
qh::test::DecodedPoi PoiOf(const qh::AscPoint& p) {
  std::string name(p.text);
  QH_FUZZ_CHECK(p.nulInText == (name.find('\0') != std::string::npos), "NUL flag " + Shown(name));
  std::replace(name.begin(), name.end(), '\0', ' ');
  return {p.longitudeUnits, p.latitudeUnits, name};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static qh::test::TempFolder folder;
  // Each input is written and thrown away: waiting for the disk would only slow the search.
  qh::SetFlushToDisk(false);
  const std::string input = folder.File("input.asc");
  const std::string overlay = folder.File("input.ov2");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qh::test::WriteFile(input, bytes);

  std::size_t modelTitles = 0;
  const std::vector<Event> events = ModelEvents(bytes, modelTitles);

  // Mostly the spatial index; one input in four the flat overlay.
  const bool flat = size % 4 == 3;
  qh::AscReader reader;
  QH_FUZZ_CHECK(reader.Open(input), "cannot open the input");
  qh::OverlayBuilder builder;
  QH_FUZZ_CHECK(builder.Open(overlay, flat), "cannot open the overlay: " + builder.Error().reason);
  std::vector<qh::test::DecodedPoi> expected;
  std::size_t taken = 0;
  for (;;) {
    qh::AscPoint point;
    const qh::AscReader::Result result = reader.Next(point);
    QH_FUZZ_CHECK(result != qh::AscReader::Result::kFailed, "read failed: " + reader.Error().reason);
    if (result == qh::AscReader::Result::kEnd) break;
    QH_FUZZ_CHECK(taken < events.size(), "a line past the model's last, at line " +
                                             std::to_string(reader.LineNumber()));
    const Event& event = events[taken++];
    QH_FUZZ_CHECK(reader.LineNumber() == event.lineNumber,
                  "line " + std::to_string(reader.LineNumber()) + " where the model has line " +
                      std::to_string(event.lineNumber));
    if (result == qh::AscReader::Result::kPoint) {
      QH_FUZZ_CHECK(event.point && SamePoint(point, event.value),
                    "point of line " + std::to_string(event.lineNumber) + " differs");
      expected.push_back(PoiOf(point));
      QH_FUZZ_CHECK(builder.Add(point), "point refused: " + builder.Error().reason);
    } else {
      QH_FUZZ_CHECK(!event.point && reader.BadLine().what == event.reason,
                    "bad line " + std::to_string(event.lineNumber) + " differs");
    }
  }
  QH_FUZZ_CHECK(taken == events.size(), "the reader ended before the model");
  QH_FUZZ_CHECK(reader.TitleLines() == modelTitles, "title lines counted differently");
  reader.Close();
  QH_FUZZ_CHECK(builder.Commit(), "overlay not written: " + builder.Error().reason);

  const std::string written = qh::test::ReadFile(overlay);
  const qh::test::Ov2Contents contents = qh::test::DecodeOv2(written);
  QH_FUZZ_CHECK(contents.faults.empty(), qh::test::JoinFaults(contents));
  if (flat) {
    QH_FUZZ_CHECK(contents.skippers == 0 && contents.pois == expected,
                  "the flat overlay is not the points in input order");
    return 0;
  }
  // Points at one spot cannot be split; any wider block holds at most a leaf's worth.
  QH_FUZZ_CHECK(contents.largest_spread_block <= qh::SpatialIndex::kLeafPoints,
                "a block of " + std::to_string(contents.largest_spread_block) + " points");
  QH_FUZZ_CHECK(expected.empty() || contents.skippers > 0, "points outside any skipper");
  std::vector<qh::test::DecodedPoi> got = contents.pois;
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  QH_FUZZ_CHECK(got == expected, "the overlay holds " + std::to_string(got.size()) +
                                     " points for " + std::to_string(expected.size()));
  return 0;
}
