// Coordinates as overlays hold them: 32-bit integers in units of 0.00001 degree. Every
// reader of points gives them so, and the overlay writes them as they are.
#pragma once

#include <cmath>
#include <cstdint>

namespace qh {

// Degrees to OV2 units, rounded to nearest with halves away from zero (truncating
// would move every negative coordinate by one unit). False when the value is not
// finite or does not fit a 32-bit field.
inline bool ToOv2Units(double degrees, std::int32_t& units) {
  if (!std::isfinite(degrees)) return false;
  const double scaled = std::round(degrees * 100000.0);
  if (scaled < -2147483648.0 || scaled > 2147483647.0) return false;
  units = static_cast<std::int32_t>(scaled);
  return true;
}

}  // namespace qh
