// The spatial index of an overlay: points split recursively at the median of their
// wider axis into blocks of at most kLeafPoints, every block and every group of
// blocks under a skipper record, so a device can pass over areas it does not need.
//
// Points are ordered by (coordinate, input position), so equal coordinates never
// tie: the tree, and with it the overlay's bytes, depend on the points alone. The
// build sorts the points once by longitude and once by latitude; a split then takes
// the first half of one list and splits the other list stably to match, so every
// box and every median is read off the lists' ends without a search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/growing_array.h"
#include "formats/ov2_writer.h"

namespace qh {

class SpatialIndex {
 public:
  static constexpr std::size_t kLeafPoints = 20;

  // Room for `points` points with `name_bytes` name bytes in all, to spare regrowth.
  void Reserve(std::size_t points, std::size_t name_bytes);
  // False when the index cannot take more (names beyond 4 GiB, or more points than
  // one overlay can describe).
  bool Add(std::int32_t longitude, std::int32_t latitude, std::string_view name);
  SpatialIndex() { name_starts_.PushBack(0); }

  std::size_t Size() const { return points_.Size(); }
  // Size in bytes of the overlay Write produces.
  std::uint64_t OverlaySize();

  // Splits the points and writes skippers and POIs in block order. The points are
  // reordered in place; the index can be written again and gives the same bytes.
  // False when the overlay would be too large for the 32-bit block lengths.
  bool Write(Ov2Writer& writer);

 private:
  // 12 bytes a point: with the name offsets, the bulk of a million-point index.
  struct Point {
    std::int32_t longitude, latitude;
    std::uint32_t id;  // input position
  };
  struct Node {
    std::uint32_t begin, end;
    std::uint32_t left = 0, right = 0;  // both 0 for a block of POIs
    std::uint64_t bytes = 0;            // the skipper and everything under it
    Ov2Box box;
  };
  // The build's second list (the points by latitude) and the room a split writes to.
  struct Lists {
    std::unique_ptr<Point[]> by_latitude, spare;
  };

  void Build();
  // Writes the `count` points at `from` to `to` ordered by `Key`, keeping the order of
  // equal keys; `spare` is room for as many. `from` may be `to`.
  template <std::int32_t Point::*Key>
  static void SortBy(const Point* from, Point* to, Point* spare, std::size_t count);
  // Splits list[begin, end) stably into the points that come before `pivot` by `Key`
  // (then input position), which fill [begin, middle), and the rest.
  template <std::int32_t Point::*Key>
  static void SplitAt(Point* list, const Point& pivot, std::uint32_t begin, std::uint32_t middle,
                      std::uint32_t end, Point* spare);
  // Appends the node of points [begin, end) and its subtree to nodes_ in pre-order
  // (children after their parent).
  std::uint32_t BuildNode(std::uint32_t begin, std::uint32_t end, Lists& lists);
  void SizeNodes();  // the bytes of every node, once the tree stands
  void WriteNode(std::uint32_t node, Ov2Writer& writer) const;
  std::string_view NameOf(std::uint32_t id) const {
    return std::string_view(names_.Data() + name_starts_[id],
                            name_starts_[id + 1] - name_starts_[id]);
  }

  GrowingArray<Point> points_;  // by input position; by longitude, block after block, once built
  GrowingArray<std::uint32_t> name_starts_;  // point i's name: [start i, start i+1) of names_
  GrowingArray<char> names_;
  std::vector<Node> nodes_;
  bool built_ = false;
  bool in_input_order_ = true;  // points_ as added, not yet sorted by a build
};

}  // namespace qh
