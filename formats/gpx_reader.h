// The waypoints of a GPX file (1.0 or 1.1): each "wpt" element with its "lat" and
// "lon" attributes and its "name" and "desc" children. Routes and tracks are not
// points of interest and are passed over.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qh {

struct GpxWaypoint {
  double latitude = 0, longitude = 0;
  std::string_view name, desc;  // UTF-8, valid during the call
};

struct GpxVisitor {
  std::function<void(const GpxWaypoint&)> waypoint;
  // A waypoint whose lat or lon is missing or not a number; its ordinal among the
  // document's waypoints, from 1.
  std::function<void(std::size_t ordinal, std::string_view reason)> bad;
};

// False, with the reason in `error`, when the document is not well-formed XML or its
// root is not "gpx".
bool ReadGpx(std::string_view document, const GpxVisitor& visitor, std::string& error);

}  // namespace qh
