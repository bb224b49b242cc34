// The overlay reader on any bytes. It never reads outside them, puts every fault inside
// the file, gives exactly the points it counts, and agrees with the test-side decoder
// (written apart, from the format's description) on every overlay that decoder finds
// whole. What it reads back, written again, reads back the same.
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

Taken Take(std::string_view bytes) {
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
  taken.summary = qh::ReadOv2(bytes, visitor);
  return taken;
}

// The decoder's name runs to the record's end; ours to the first NUL.
std::string UpToNul(const std::string& name) { return name.substr(0, name.find('\0')); }

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
  if (decoded.faults.empty()) {
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
  if (summary.fault) return 0;
  std::string again;
  for (const auto& point : taken.points) {
    qh::AppendOv2Poi(again, point.longitude, point.latitude, point.name);
  }
  const Taken back = Take(again);
  QH_FUZZ_CHECK(!back.summary.fault && back.points == taken.points,
                "the points written again read back otherwise");
  return 0;
}
