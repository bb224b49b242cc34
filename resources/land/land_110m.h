// The land of the world at Natural Earth's 1:110m scale, for the overview maps of
// `ov2 map`: closed rings (the first point is not repeated at the end), one after
// another. Made by scripts/make_land_data.sh; see land_110m.cpp for the source.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qh {

// Hundredths of a degree.
inline constexpr double kLandUnitsPerDegree = 100.0;

extern const std::uint16_t kLandRingSizes[];  // points in each ring
extern const std::size_t kLandRings;
// Longitude, latitude of each point, ring after ring; a ring drawn a second time beyond
// the antimeridian has longitudes past 180 degrees.
extern const std::int32_t kLandPoints[];

}  // namespace qh
