// The waypoints of a GPX file (1.0 or 1.1): each "wpt" element with its "lat" and
// "lon" attributes and its "name" and "desc" children. Routes and tracks are not
// points of interest and are passed over.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "files/io_error.h"
#include "formats/xml_events.h"

namespace qh {

// A waypoint as the document has it; blanks around each text are dropped. The
// coordinates stay texts (empty when the attribute is missing), so that reading them
// can be left to another thread than the parser's.
struct GpxWaypoint {
  std::string_view latitude, longitude;
  std::string_view name, desc;  // UTF-8, valid during the call
};

// Calls `waypoint` for each waypoint in document order, on the calling thread. False,
// with the reason (and its line, where the parser tells one) in `error`, when the
// document is not well-formed XML or its root is not "gpx"; the error's path is the
// caller's to fill in. A document of `twoThreadsFrom` bytes or more is parsed in two
// halves at once where the parser allows.
inline constexpr std::size_t kGpxTwoThreadsFrom = std::size_t{4} << 20;
// The points of routes and tracks a document holds, which are passed over.
struct GpxPassedOver {
  std::size_t routePoints = 0, trackPoints = 0;
};
bool ReadGpx(std::string_view document, const std::function<void(const GpxWaypoint&)>& waypoint,
             ContentError& error, std::size_t twoThreadsFrom = kGpxTwoThreadsFrom,
             GpxPassedOver* passedOver = nullptr);
// The same, the document read as it is parsed (from a file, never held whole where the
// parser takes it in pieces); a failure to read is a fault whose reason `document`
// kept.
bool ReadGpx(const XmlBytes& document, const std::function<void(const GpxWaypoint&)>& waypoint,
             ContentError& error, std::size_t twoThreadsFrom = kGpxTwoThreadsFrom,
             GpxPassedOver* passedOver = nullptr);

// The waypoint's coordinates as numbers; false when either is missing, not a decimal
// number or not finite.
bool GpxCoordinates(const GpxWaypoint& waypoint, double& latitude, double& longitude);

}  // namespace qh
