// The overlay reader on any bytes. It never reads outside them, puts every fault inside
// the file, gives exactly the points it counts, and agrees with the test-side decoder
// (written apart, from the format's description) on every overlay that decoder finds
// whole. What it reads back, written again, reads back the same. Read leniently, it
// keeps those properties, finds the same first fault, and gives the strict walk's
// points first.
#include <algorithm>
#include <string>
#include <vector>

#include "overlay/ov2_reader.h"
#include "overlay/ov2_writer.h"
#include "tests/formats/ov2_check.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct Taken {
  std::vector<qh::test::DecodedPoi> points;
  qh::Ov2Summary summary;
};

Taken Take(std::string_view bytes, qh::Ov2Reading reading = qh::Ov2Reading::kStrict) {
  Taken taken;
  qh::Ov2Visitor visitor;
  visitor.point = [&](const qh::Ov2Point& point) {
    QH_FUZZ_CHECK(point.offset + qh::kOv2PoiOverhead <= bytes.size(),
                  "a point at " + std::to_string(point.offset) + " beyond the file");
    QH_FUZZ_CHECK(point.name.data() >= bytes.data() &&
                      point.name.data() + point.name.size() <= bytes.data() + bytes.size(),
                  "a name outside the bytes");
    taken.points.push_back({point.longitude, point.latitude, std::string(point.name)});
  };
  visitor.unknown = [&](std::size_t offset, std::uint8_t type) {
    QH_FUZZ_CHECK(offset < bytes.size() && type > 3, "unknown record " + std::to_string(type));
  };
  visitor.fault = [&](const qh::ContentError& fault, qh::Ov2Fault) {
    QH_FUZZ_CHECK(fault.offset < bytes.size(), "a fault at " + std::to_string(fault.offset) +
                                                   " of " + std::to_string(bytes.size()));
  };
  taken.summary = qh::ReadOv2(bytes, visitor, reading);
  return taken;
}

// The decoder does not judge coordinates; the walk finds a point off the Earth a fault.
bool AnyOffEarth(const std::vector<qh::test::DecodedPoi>& points) {
  return std::any_of(points.begin(), points.end(), [](const qh::test::DecodedPoi& p) {
    return p.longitude < -18000000 || p.longitude > 18000000 || p.latitude < -9000000 ||
           p.latitude > 9000000;
  });
}

// The decoder's name runs to the record's end; ours to the first NUL.
std::string UpToNul(const std::string& name) { return name.substr(0, name.find('\0')); }

// The points written again as plain records read back the same, strictly.
void CheckWrittenAgain(const Taken& taken) {
  std::string again;
  for (const auto& point : taken.points) {
    qh::AppendOv2Poi(again, point.longitude, point.latitude, point.name);
  }
  const Taken back = Take(again);
  QH_FUZZ_CHECK(!back.summary.fault && back.points == taken.points,
                "the points written again read back otherwise");
}

// A lenient walk finds the strict walk's first fault and gives its points first.
void CheckLenient(std::string_view bytes, const Taken& strict) {
  const Taken lenient = Take(bytes, qh::Ov2Reading::kLenient);
  const qh::Ov2Summary& summary = lenient.summary;
  QH_FUZZ_CHECK(summary.points == lenient.points.size(), "lenient: points counted and given differ");
  QH_FUZZ_CHECK(summary.fault.offset == strict.summary.fault.offset &&
                    summary.fault.what == strict.summary.fault.what,
                "lenient: another first fault: " + summary.fault.what);
  QH_FUZZ_CHECK(lenient.points.size() >= strict.points.size() &&
                    std::equal(strict.points.begin(), strict.points.end(), lenient.points.begin()),
                "lenient: the strict walk's points are not its first");
  CheckWrittenAgain(lenient);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Taken taken = Take(bytes);
  const qh::Ov2Summary& summary = taken.summary;
  QH_FUZZ_CHECK(summary.points == taken.points.size(), "points counted and given differ");
  if (summary.fault) {
    QH_FUZZ_CHECK(summary.fault.offset < size, "fault at " + std::to_string(summary.fault.offset) +
                                                   " of " + std::to_string(size));
  }
  const qh::test::Ov2Contents decoded = qh::test::DecodeOv2(bytes);
  if (decoded.faults.empty() && !AnyOffEarth(decoded.pois)) {
    QH_FUZZ_CHECK(!summary.fault, "a fault the decoder does not see: " + summary.fault.what);
    QH_FUZZ_CHECK(decoded.pois.size() == taken.points.size(), "the decoder found other points");
    for (std::size_t i = 0; i < decoded.pois.size(); ++i) {
      const auto& theirs = decoded.pois[i];
      const auto& ours = taken.points[i];
      QH_FUZZ_CHECK(theirs.longitude == ours.longitude && theirs.latitude == ours.latitude &&
                        UpToNul(theirs.name) == ours.name,
                    "point " + std::to_string(i) + " differs from the decoder's");
    }
  }
  CheckLenient(bytes, taken);
  if (!summary.fault) CheckWrittenAgain(taken);
  return 0;
}
