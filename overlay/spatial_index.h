// The spatial index of an overlay: points split recursively at the median of their
// wider axis into blocks of at most kLeafPoints, every block and every group of
// blocks under a skipper record, so a device can pass over areas it does not need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "overlay/ov2_writer.h"

namespace qh {

class SpatialIndex {
 public:
  static constexpr std::size_t kLeafPoints = 20;

  // Room for `points` points with `name_bytes` name bytes in all, to spare regrowth.
  void Reserve(std::size_t points, std::size_t name_bytes);
  // False when the index cannot take more (names beyond 4 GiB, or more points than
  // one overlay can describe).
  bool Add(std::int32_t longitude, std::int32_t latitude, std::string_view name);
  std::size_t Size() const { return points_.size(); }
  // Size in bytes of the overlay Write produces.
  std::uint64_t OverlaySize();

  // Splits the points and writes skippers and POIs in block order. The points are
  // reordered in place; the index can be written again and gives the same bytes.
  // False when the overlay would be too large for the 32-bit block lengths.
  bool Write(Ov2Writer& writer);

 private:
  // 16 bytes a point: the bulk of a million-point index.
  struct Point {
    std::int32_t longitude, latitude;
    std::uint32_t name_offset, name_length;
  };
  struct Node {
    std::uint32_t begin, end;
    std::uint32_t left = 0, right = 0;  // both 0 for a block of POIs
    std::uint64_t bytes = 0;            // the skipper and everything under it
    Ov2Box box;
  };

  void Build();
  std::uint32_t BuildNode(std::uint32_t begin, std::uint32_t end);
  void WriteNode(std::uint32_t node, Ov2Writer& writer) const;
  std::string_view NameOf(const Point& p) const {
    return std::string_view(names_.data() + p.name_offset, p.name_length);
  }

  std::vector<Point> points_;
  std::string names_;
  std::vector<Node> nodes_;
  bool built_ = false;
};

}  // namespace qh
