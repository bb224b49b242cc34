#include "formats/spatial_index.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#if defined(__GNUC__)
#define QH_PREFETCH(address) __builtin_prefetch(address)
#else
#define QH_PREFETCH(address) static_cast<void>(address)
#endif

namespace qh {

namespace {

constexpr int kRadixPasses = 4;  // a byte of a 32-bit key each; an even number
constexpr std::size_t kLookahead = 16;  // points ahead whose names are fetched early

// A coordinate as an unsigned number of the same order.
std::uint32_t RadixKey(std::int32_t value) { return static_cast<std::uint32_t>(value) ^ 0x80000000u; }

}  // namespace

void SpatialIndex::Reserve(std::size_t points, std::size_t name_bytes) {
  points_.Reserve(points);
  name_starts_.Reserve(points + 1);
  names_.Reserve(name_bytes);
}

bool SpatialIndex::Add(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (names_.Size() + name.size() > kLimit || points_.Size() >= kLimit / 2) return false;
  points_.PushBack(Point{longitude, latitude, static_cast<std::uint32_t>(points_.Size())});
  names_.Append(name.data(), name.size());
  name_starts_.PushBack(static_cast<std::uint32_t>(names_.Size()));
  built_ = false;
  return true;
}

// The key is a template argument: read straight from the point, not through a pointer.
template <std::int32_t SpatialIndex::Point::*Key>
void SpatialIndex::SortBy(const Point* from, Point* to, Point* spare, std::size_t count) {
  // A least-significant-digit radix sort, a byte a pass: stable, and four passes over
  // the points whatever the data. The passes alternate between `spare` and `to`, so
  // `from` is read only by the first and may be `to` itself.
  std::uint32_t starts[kRadixPasses][256] = {};
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t k = RadixKey(from[i].*Key);
    for (int pass = 0; pass < kRadixPasses; ++pass) ++starts[pass][k >> (8 * pass) & 0xFF];
  }
  for (auto& pass_starts : starts) {
    std::uint32_t sum = 0;
    for (std::uint32_t& start : pass_starts) sum += std::exchange(start, sum);
  }
  const Point* source = from;
  for (int pass = 0; pass < kRadixPasses; ++pass) {
    Point* target = pass % 2 == 0 ? spare : to;
    for (std::size_t i = 0; i < count; ++i) {
      const Point& p = source[i];
      target[starts[pass][RadixKey(p.*Key) >> (8 * pass) & 0xFF]++] = p;
    }
    source = target;
  }
}

template <std::int32_t SpatialIndex::Point::*Key>
void SpatialIndex::SplitAt(Point* list, const Point& pivot, std::uint32_t begin,
                           std::uint32_t middle, std::uint32_t end, Point* spare) {
  // The first part is gathered in place, the rest in `spare` and copied after it.
  // Every point is stored at both places and only one of them moves on: no branch
  // to guess, and neither place ever runs ahead of the point being read.
  Point* kept = list + begin;
  Point* moved = spare + begin;
  const std::int32_t pivot_key = pivot.*Key;
  const std::uint32_t pivot_id = pivot.id;
  for (std::uint32_t i = begin; i < end; ++i) {
    const Point p = list[i];
    const bool first = (p.*Key < pivot_key) | ((p.*Key == pivot_key) & (p.id < pivot_id));
    *kept = p;
    *moved = p;
    kept += first;
    moved += !first;
  }
  std::memcpy(list + middle, spare + begin, (end - middle) * sizeof(Point));
}

std::uint32_t SpatialIndex::BuildNode(std::uint32_t begin, std::uint32_t end, Lists& lists) {
  // points_[begin, end) by longitude and lists.by_latitude[begin, end) hold the same points.
  const Point* by_latitude = lists.by_latitude.get();
  Node node;
  node.begin = begin;
  node.end = end;
  node.box = {points_[begin].longitude, by_latitude[begin].latitude, points_[end - 1].longitude,
              by_latitude[end - 1].latitude};
  const std::uint32_t index = static_cast<std::uint32_t>(nodes_.size());
  nodes_.push_back(node);

  // Widths in OV2 units: a box narrower than one unit (0.00001 degree) holds points
  // at one position, which no split can separate.
  const std::int64_t width = std::int64_t{node.box.east} - node.box.west;
  const std::int64_t height = std::int64_t{node.box.north} - node.box.south;
  if (end - begin <= kLeafPoints || (width == 0 && height == 0)) return index;  // sized later
  const std::uint32_t middle = begin + (end - begin) / 2;
  if (width >= height) {
    SplitAt<&Point::longitude>(lists.by_latitude.get(), points_[middle], begin, middle, end,
                               lists.spare.get());
  } else {
    SplitAt<&Point::latitude>(points_.Data(), by_latitude[middle], begin, middle, end,
                              lists.spare.get());
  }
  const std::uint32_t left = BuildNode(begin, middle, lists);
  const std::uint32_t right = BuildNode(middle, end, lists);
  nodes_[index].left = left;
  nodes_[index].right = right;
  return index;
}

void SpatialIndex::Build() {
  if (built_) return;
  nodes_.clear();
  const std::size_t count = points_.Size();
  if (count > 0) {
    // Left uninitialised: every point is written before it is read.
    Lists lists{std::unique_ptr<Point[]>(new Point[count]), std::unique_ptr<Point[]>(new Point[count])};
    if (!in_input_order_) {  // an earlier build reordered them
      for (const Point& p : points_) lists.by_latitude[p.id] = p;
      std::copy(lists.by_latitude.get(), lists.by_latitude.get() + count, points_.begin());
    }
    SortBy<&Point::latitude>(points_.Data(), lists.by_latitude.get(), lists.spare.get(), count);
    SortBy<&Point::longitude>(points_.Data(), points_.Data(), lists.spare.get(), count);
    in_input_order_ = false;
    // About two nodes for every full block.
    nodes_.reserve(count / (kLeafPoints / 2) * 2 + 2);
    BuildNode(0, static_cast<std::uint32_t>(count), lists);
    SizeNodes();
  }
  built_ = true;
}

void SpatialIndex::SizeNodes() {
  // Children follow their parent in nodes_, so a backward pass meets them first.
  // A block's names lie anywhere in names_: their places are fetched ahead.
  for (std::size_t n = nodes_.size(); n-- > 0;) {
    Node& node = nodes_[n];
    node.bytes = kOv2SkipperSize;
    if (node.left != 0) {
      node.bytes += nodes_[node.left].bytes + nodes_[node.right].bytes;
      continue;
    }
    for (std::uint32_t i = node.end; i-- > node.begin;) {
      if (i >= kLookahead) QH_PREFETCH(&name_starts_[points_[i - kLookahead].id]);
      node.bytes += Ov2PoiSize(NameOf(points_[i].id).size());
    }
  }
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
      // Blocks are written in the order of points_, but the names lie scattered over
      // names_: ask for them well before they are needed.
      if (i + 2 * kLookahead < points_.Size()) {
        QH_PREFETCH(&name_starts_[points_[i + 2 * kLookahead].id]);
      }
      if (i + kLookahead < points_.Size()) {
        QH_PREFETCH(names_.Data() + name_starts_[points_[i + kLookahead].id]);
      }
      const Point& p = points_[i];
      writer.Poi(p.longitude, p.latitude, NameOf(p.id));
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
