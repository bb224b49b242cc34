#include "overlay/spatial_index.h"

#include <algorithm>
#include <limits>

namespace qh {

void SpatialIndex::Reserve(std::size_t points, std::size_t name_bytes) {
  points_.reserve(points);
  names_.reserve(name_bytes);
}

bool SpatialIndex::Add(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (names_.size() + name.size() > kLimit || points_.size() >= kLimit / 2) return false;
  points_.push_back(Point{longitude, latitude, static_cast<std::uint32_t>(names_.size()),
                          static_cast<std::uint32_t>(name.size())});
  names_.append(name);
  built_ = false;
  return true;
}

std::uint32_t SpatialIndex::BuildNode(std::uint32_t begin, std::uint32_t end) {
  Node node;
  node.begin = begin;
  node.end = end;
  node.box = {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
              std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()};
  for (std::uint32_t i = begin; i < end; ++i) {
    const Point& p = points_[i];
    node.box.west = std::min(node.box.west, p.longitude);
    node.box.east = std::max(node.box.east, p.longitude);
    node.box.south = std::min(node.box.south, p.latitude);
    node.box.north = std::max(node.box.north, p.latitude);
  }
  const std::uint32_t index = static_cast<std::uint32_t>(nodes_.size());
  nodes_.push_back(node);

  // Widths in OV2 units: a box narrower than one unit (0.00001 degree) holds points
  // at one position, which no split can separate.
  const std::int64_t width = std::int64_t{node.box.east} - node.box.west;
  const std::int64_t height = std::int64_t{node.box.north} - node.box.south;
  std::uint64_t bytes = kOv2SkipperSize;
  if (end - begin <= kLeafPoints || (width == 0 && height == 0)) {
    for (std::uint32_t i = begin; i < end; ++i) bytes += Ov2PoiSize(points_[i].name_length);
    nodes_[index].bytes = bytes;
    return index;
  }
  const bool by_longitude = width >= height;
  const std::uint32_t middle = begin + (end - begin) / 2;
  auto first = points_.begin() + begin;
  if (by_longitude) {
    std::nth_element(first, points_.begin() + middle, points_.begin() + end,
                     [](const Point& a, const Point& b) { return a.longitude < b.longitude; });
  } else {
    std::nth_element(first, points_.begin() + middle, points_.begin() + end,
                     [](const Point& a, const Point& b) { return a.latitude < b.latitude; });
  }
  const std::uint32_t left = BuildNode(begin, middle);
  const std::uint32_t right = BuildNode(middle, end);
  bytes += nodes_[left].bytes + nodes_[right].bytes;
  nodes_[index].left = left;
  nodes_[index].right = right;
  nodes_[index].bytes = bytes;
  return index;
}

void SpatialIndex::Build() {
  if (built_) return;
  nodes_.clear();
  // About two nodes for every full block.
  nodes_.reserve(points_.size() / (kLeafPoints / 2) * 2 + 2);
  if (!points_.empty()) BuildNode(0, static_cast<std::uint32_t>(points_.size()));
  built_ = true;
}

std::uint64_t SpatialIndex::OverlaySize() {
  Build();
  return nodes_.empty() ? 0 : nodes_.front().bytes;
}

void SpatialIndex::WriteNode(std::uint32_t index, Ov2Writer& writer) const {
  const Node& node = nodes_[index];
  writer.Skipper(static_cast<std::uint32_t>(node.bytes), node.box);
  if (node.left == 0 && node.right == 0) {
    for (std::uint32_t i = node.begin; i < node.end; ++i) {
      const Point& p = points_[i];
      writer.Poi(p.longitude, p.latitude, NameOf(p));
    }
    return;
  }
  WriteNode(node.left, writer);
  WriteNode(node.right, writer);
}

bool SpatialIndex::Write(Ov2Writer& writer) {
  // Devices read the lengths as signed 32-bit numbers.
  if (OverlaySize() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  if (!nodes_.empty()) WriteNode(0, writer);
  return !writer.Failed();
}

}  // namespace qh
