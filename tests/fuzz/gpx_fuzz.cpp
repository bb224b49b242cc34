// The GPX reader on any text: read in one pass and in two halves at once, it gives the
// same waypoints in the same order, counts the same route and track points, and comes
// to the same verdict (refused: for the same reason, at the same line).
#include <cstdint>
#include <string>
#include <vector>

#include "formats/gpx_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qh::fuzz::Shown;

struct Read {
  std::vector<std::string> waypoints;  // the four texts of each, joined by "|"
  qh::GpxPassedOver passedOver;
  qh::ContentError error;
  bool ok = false;
};

Read ReadIn(std::string_view text, std::size_t twoThreadsFrom) {
  Read read;
  const auto waypoint = [&](const qh::GpxWaypoint& w) {
    read.waypoints.push_back(std::string(w.latitude) + "|" + std::string(w.longitude) + "|" +
                             std::string(w.name) + "|" + std::string(w.desc));
  };
  read.ok = qh::ReadGpx(text, waypoint, read.error, twoThreadsFrom, &read.passedOver);
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Read once = ReadIn(text, SIZE_MAX), halves = ReadIn(text, 0);
  QH_FUZZ_CHECK(halves.ok == once.ok, "in two halves " + std::string(halves.ok ? "read" : "refused") +
                                          ": " + halves.error.what);
  if (!once.ok) {
    QH_FUZZ_CHECK(halves.error.what == once.error.what && halves.error.line == once.error.line,
                  "refused in two halves as " + halves.error.what + " at line " +
                      std::to_string(halves.error.line) + ", in one pass as " + once.error.what +
                      " at line " + std::to_string(once.error.line));
    return 0;
  }
  QH_FUZZ_CHECK(halves.waypoints.size() == once.waypoints.size(),
                std::to_string(halves.waypoints.size()) + " waypoints in two halves, " +
                    std::to_string(once.waypoints.size()) + " in one pass");
  for (std::size_t i = 0; i < once.waypoints.size(); ++i) {
    QH_FUZZ_CHECK(halves.waypoints[i] == once.waypoints[i],
                  "waypoint " + std::to_string(i) + ": " + Shown(halves.waypoints[i]) + " for " +
                      Shown(once.waypoints[i]));
  }
  QH_FUZZ_CHECK(halves.passedOver.routePoints == once.passedOver.routePoints &&
                    halves.passedOver.trackPoints == once.passedOver.trackPoints,
                "route and track points counted otherwise in two halves");
  return 0;
}
