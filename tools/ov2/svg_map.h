// An overview map of points as SVG: the land of the world (Natural Earth, 1:110m) in a
// frame around the points' bounding box with a margin, a dot per point (one dot for
// the points that would overlap in a cell of the dot's size, so a million points stay
// a small file), the overlay's name, a scale bar in degrees and the count of points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qh::ov2 {

// The map's frame in degrees; west < east, south < north.
struct MapFrame {
  double west = -180, south = -90, east = 180, north = 90;
};

// The frame around points between the given bounds: a tenth of each span added on
// every side, at least a degree each way, kept within the world.
MapFrame FrameAround(double west, double south, double east, double north);

// A point in OV2 units.
struct MapPoint {
  std::int32_t longitude, latitude;
};

class SvgMap {
 public:
  static constexpr int kLongSide = 1000;  // pixels of the map's longer side
  static constexpr int kCell = 4;         // pixels a dot covers

  void Add(std::int32_t longitude, std::int32_t latitude);  // OV2 units
  std::size_t Points() const { return points_.size(); }
  // The whole document.
  std::string Draw(std::string_view title) const;

 private:
  std::vector<MapPoint> points_;
};

}  // namespace qh::ov2
