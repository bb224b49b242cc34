#include "overlay/spatial_index.h"

#include "overlay/index_spill.h"
#include "files/large_pages.h"
#include "files/run_both.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#if defined(__GNUC__)
#define QH_PREFETCH(address) __builtin_prefetch(address)
#else
#define QH_PREFETCH(address) static_cast<void>(address)
#endif

namespace qh {

namespace {

constexpr int kRadixBits = 11;   // of a 32-bit key a pass, at the most
constexpr int kRadixPasses = 3;  // 33 bits
constexpr std::size_t kRadixBuckets = std::size_t{1} << kRadixBits;
constexpr std::size_t kLookahead = 32;  // points ahead whose names are fetched early
constexpr int kRankBits = 16;  // the median is counted out by the keys' top 16 bits
// A name's length in the byte before it, or this and the length in four bytes after.
constexpr std::uint8_t kLongName = 0xFF;
constexpr std::size_t kLongNameBytes = 5;

// A coordinate's distance above `low`, which is not above it, as an unsigned number:
// the difference of the two as unsigned numbers, modulo 2^32.
std::uint32_t Above(std::int32_t value, std::int32_t low) {
  return static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(low);
}
// How the radix sort takes keys apart: a key's distance above the lowest, `low`, in
// kRadixPasses digits of `bits` bits each, as few as the keys' span needs. Fewer buckets
// a pass keep the places a pass writes to in the fastest cache (points over the whole
// Earth span 26 bits: nine a digit rather than eleven).
struct RadixDigits {
  std::int32_t low;
  int bits;
  std::uint32_t Of(std::int32_t key, int pass) const {
    return Above(key, low) >> (bits * pass) & ((std::uint32_t{1} << bits) - 1);
  }
};

// The digits for keys from `low` to `high`.
RadixDigits DigitsFor(std::int32_t low, std::int32_t high) {
  const auto width = static_cast<int>(std::bit_width(Above(high, low)));
  return {low, std::clamp((width + kRadixPasses - 1) / kRadixPasses, 1, kRadixBits)};
}

}  // namespace

SpatialIndex::SpatialIndex() = default;

SpatialIndex::~SpatialIndex() = default;

std::uint64_t SpatialIndex::MemoryFor(std::uint64_t points, std::uint64_t nameBytes) {
  // About two nodes for every full block (see BuildRange).
  constexpr std::uint64_t kNodeBytesAPoint = 2 * sizeof(Node) / (kLeafPoints / 2);
  return points * (3 * sizeof(Point) + 1 + kNodeBytesAPoint) + nameBytes;
}

void SpatialIndex::SpillBeyond(std::uint64_t budget, std::string beside) {
  budget_ = budget;
  beside_ = std::move(beside);
}

void SpatialIndex::Reserve(std::size_t points, std::size_t nameBytes) {
  if (budget_ != 0) {  // never beyond what the index may take in memory
    if (MemoryFor(points, nameBytes) > budget_) return;
  }
  points_.Reserve(points);
  names_.Reserve(points + nameBytes);
}

std::size_t SpatialIndex::Size() const {
  return spill_ != nullptr ? static_cast<std::size_t>(spill_->Points()) : points_.Size();
}

bool SpatialIndex::Fail(const IoError& error) {
  if (!error_) error_ = error;
  return false;
}

bool SpatialIndex::Add(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  // Known as soon as it is so: the POIs alone pass what the lengths can say.
  const std::uint64_t poiBytes = poiBytes_ + Ov2PoiSize(name.size());
  if (kOv2SkipperSize + poiBytes > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return Fail(IoError{IoFailure::kTooLarge, beside_, "the overlay would exceed 2 GiB"});
  }
  // The names' bytes are those kept less a length byte each (a long name's four more
  // are too few to count).
  if (spill_ == nullptr && budget_ != 0 &&
      MemoryFor(points_.Size() + 1, names_.Size() - points_.Size() + name.size()) > budget_ &&
      !Spill()) {
    return false;
  }
  if (spill_ != nullptr) {
    if (!spill_->Add(longitude, latitude, name)) {
      return Fail(spill_->Error() ? spill_->Error()
                                  : IoError{IoFailure::kWriteFailed, beside_, "the index is built"});
    }
    poiBytes_ = poiBytes;
    return true;
  }
  if (names_.Size() + kLongNameBytes + name.size() > kLimit || points_.Size() >= kLimit / 2) {
    return false;
  }
  points_.PushBack(Point{longitude, latitude, static_cast<std::uint32_t>(names_.Size())});
  KeepName(name);
  poiBytes_ = poiBytes;
  built_ = false;
  return true;
}

bool SpatialIndex::Spill() {
  auto spill = std::make_unique<IndexSpill>(budget_, beside_);
  if (!spill->Open()) return Fail(spill->Error());
  PutInInputOrder();
  for (const Point& p : points_) {
    if (!spill->Add(p.longitude, p.latitude, NameOf(p.nameAt))) return Fail(spill->Error());
  }
  points_.Release();
  names_.Release();
  Nodes().swap(nodes_);
  for (Nodes& half : halves_) Nodes().swap(half);
  room_.reset();
  roomPoints_ = 0;
  inInputOrder_ = true;
  built_ = false;
  spill_ = std::move(spill);
  return true;
}

void SpatialIndex::PutInInputOrder() {
  if (inInputOrder_) return;
  // An earlier build reordered them; their names were kept in input order.
  std::sort(points_.begin(), points_.end(),
            [](const Point& a, const Point& b) { return a.nameAt < b.nameAt; });
  inInputOrder_ = true;
}

void SpatialIndex::KeepName(std::string_view name) {
  if (name.size() < kLongName) {
    char* const kept = names_.Extend(1 + name.size());
    kept[0] = static_cast<char>(name.size());
    std::memcpy(kept + 1, name.data(), name.size());
    return;
  }
  char* const kept = names_.Extend(kLongNameBytes + name.size());
  kept[0] = static_cast<char>(kLongName);
  const auto size = static_cast<std::uint32_t>(name.size());
  std::memcpy(kept + 1, &size, sizeof size);
  std::memcpy(kept + kLongNameBytes, name.data(), name.size());
}

std::string_view SpatialIndex::NameOf(std::uint32_t at) const {
  const char* const kept = names_.Data() + at;
  const auto length = static_cast<std::uint8_t>(kept[0]);
  if (length != kLongName) return std::string_view(kept + 1, length);
  std::uint32_t size = 0;
  std::memcpy(&size, kept + 1, sizeof size);
  return std::string_view(kept + kLongNameBytes, size);
}

// The key is a template argument: read straight from the point, not through a pointer.
template <std::int32_t SpatialIndex::Point::*Key>
void SpatialIndex::SortBy(const Point* from, Point* to, Point* spare, std::size_t count,
                          std::int32_t low, std::int32_t high) {
  // A least-significant-digit radix sort: stable, and three passes over the points
  // whatever the data (a digit's counts fit the fastest cache). The passes go from
  // `from` to `to`, `spare` and `to` again: `from` is read only by the first, and may
  // be `spare`.
  const RadixDigits digits = DigitsFor(low, high);
  const std::size_t buckets = std::size_t{1} << digits.bits;
  std::uint32_t starts[kRadixPasses][kRadixBuckets] = {};
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t k = from[i].*Key;
    for (int pass = 0; pass < kRadixPasses; ++pass) ++starts[pass][digits.Of(k, pass)];
  }
  for (auto& passStarts : starts) {
    std::uint32_t sum = 0;
    for (std::size_t b = 0; b < buckets; ++b) sum += std::exchange(passStarts[b], sum);
  }
  Point* const targets[kRadixPasses] = {to, spare, to};
  const Point* source = from;
  for (int pass = 0; pass < kRadixPasses; ++pass) {
    Point* const target = targets[pass];
    std::uint32_t* const passStarts = starts[pass];
    for (std::size_t i = 0; i < count; ++i) {
      const Point& p = source[i];
      target[passStarts[digits.Of(p.*Key, pass)]++] = p;
    }
    source = target;
  }
}

template <std::int32_t SpatialIndex::Point::*Key>
std::int64_t SpatialIndex::RankOf(const Point& p) {
  return std::int64_t{p.*Key} * (std::int64_t{1} << 32) + p.nameAt;
}

template <std::int32_t SpatialIndex::Point::*Key>
void SpatialIndex::SplitInto(const Point* from, Point* to, Point pivot, std::uint32_t begin,
                             std::uint32_t middle, std::uint32_t end) {
  // Each point goes to the end of its part, chosen without a branch to guess. While
  // both parts have room for a run of points, each point is written to both ends and
  // only its own part's end moves on: the other copy is overwritten by the next point
  // of that part, and no store waits for the choice.
  constexpr std::uint32_t kRun = 64;
  Point* first = to + begin;
  Point* rest = to + middle;
  Point* const firstEnd = to + middle;
  Point* const restEnd = to + end;
  const std::int64_t pivotRank = RankOf<Key>(pivot);
  std::uint32_t i = begin;
  constexpr auto kRoom = static_cast<std::ptrdiff_t>(kRun);
  while (end - i >= kRun && firstEnd - first >= kRoom && restEnd - rest >= kRoom) {
    for (const std::uint32_t runEnd = i + kRun; i < runEnd; ++i) {
      const Point p = from[i];
      const auto before = static_cast<std::ptrdiff_t>(RankOf<Key>(p) < pivotRank);
      *first = p;
      *rest = p;
      first += before;
      rest += 1 - before;
    }
  }
  for (; i < end; ++i) {
    const Point p = from[i];
    const bool before = RankOf<Key>(p) < pivotRank;
    *(before ? first : rest) = p;
    first += before;
    rest += !before;
  }
}

template <std::int32_t SpatialIndex::Point::*Key>
SpatialIndex::Point SpatialIndex::PointAtRank(std::uint32_t rank, std::int32_t low,
                                              std::int32_t high, Point* spare) const {
  // Counted by ranges of keys, 2^kRankBits of them over [low, high] (so points that
  // crowd a small area still spread over many), the rank falls in one range; only the
  // points of that range are gathered and ordered. Each thread counts and gathers one
  // half of the points.
  const std::uint32_t span = Above(high, low);
  int shift = 0;
  while ((span >> shift) >> kRankBits != 0) ++shift;
  const auto rangeOf = [low, shift](const Point& p) { return Above(p.*Key, low) >> shift; };
  const Point* const all = points_.Data();
  const std::size_t count = points_.Size(), half = count / 2;
  std::vector<std::uint32_t> counts[2] = {std::vector<std::uint32_t>(std::size_t{1} << kRankBits),
                                          std::vector<std::uint32_t>(std::size_t{1} << kRankBits)};
  const auto countPart = [&](std::size_t from, std::size_t to, std::vector<std::uint32_t>& c) {
    for (std::size_t i = from; i < to; ++i) ++c[rangeOf(all[i])];
  };
  RunBoth([&] { countPart(0, half, counts[0]); }, [&] { countPart(half, count, counts[1]); });
  std::uint32_t range = 0;
  while (rank >= counts[0][range] + counts[1][range]) {
    rank -= counts[0][range] + counts[1][range];
    ++range;
  }
  const auto gatherPart = [&](std::size_t from, std::size_t to, Point* into) {
    for (std::size_t i = from; i < to; ++i) {
      if (rangeOf(all[i]) == range) *into++ = all[i];
    }
  };
  const std::uint32_t firstGathered = counts[0][range];
  RunBoth([&] { gatherPart(0, half, spare); },
          [&] { gatherPart(half, count, spare + firstGathered); });
  const std::uint32_t gathered = firstGathered + counts[1][range];
  std::nth_element(spare, spare + rank, spare + gathered, [](const Point& a, const Point& b) {
    return RankOf<Key>(a) < RankOf<Key>(b);
  });
  return spare[rank];
}

template <std::int32_t SpatialIndex::Point::*Key, bool kBefore>
void SpatialIndex::TakeSide(const Point* from, std::size_t count, Point pivot, Point* to) {
  const std::int64_t pivotRank = RankOf<Key>(pivot);
  Point passedOver;
  for (std::size_t i = 0; i < count; ++i) {
    const Point p = from[i];
    const bool before = RankOf<Key>(p) < pivotRank;
    // Chosen without a branch to guess; a point not taken goes nowhere that counts (the
    // place after the last taken belongs to the other thread's half).
    const bool taken = before == kBefore;
    *(taken ? to : &passedOver) = p;
    to += taken;
  }
}

std::uint32_t SpatialIndex::BuildNode(std::uint32_t begin, std::uint32_t end, const Lists& lists,
                                      Nodes& nodes) {
  // lists.byLongitude[begin, end) and lists.byLatitude[begin, end) hold the same points.
  Node node;
  node.begin = begin;
  node.end = end;
  node.box = {lists.byLongitude[begin].longitude, lists.byLatitude[begin].latitude,
              lists.byLongitude[end - 1].longitude, lists.byLatitude[end - 1].latitude};
  const auto index = static_cast<std::uint32_t>(nodes.size());
  nodes.push_back(node);

  // Widths in OV2 units: a box narrower than one unit (0.00001 degree) holds points
  // at one position, which no split can separate.
  const std::int64_t width = std::int64_t{node.box.east} - node.box.west;
  const std::int64_t height = std::int64_t{node.box.north} - node.box.south;
  if (end - begin <= kLeafPoints || (width == 0 && height == 0)) {
    // A block (sized later): its points by longitude to points_, where the writer
    // finds them. No list is needed any more in this range.
    Point* const block = points_.Data();
    if (lists.byLongitude != block) {
      std::memcpy(block + begin, lists.byLongitude + begin, (end - begin) * sizeof(Point));
    }
    return index;
  }
  // The list of the other axis is split into the spare room, which becomes that
  // list, and its old place the spare room below.
  const std::uint32_t middle = begin + (end - begin) / 2;
  Lists below = lists;
  if (width >= height) {
    SplitInto<&Point::longitude>(lists.byLatitude, lists.spare, lists.byLongitude[middle], begin,
                                 middle, end);
    std::swap(below.byLatitude, below.spare);
  } else {
    SplitInto<&Point::latitude>(lists.byLongitude, lists.spare, lists.byLatitude[middle], begin,
                                middle, end);
    std::swap(below.byLongitude, below.spare);
  }
  const std::uint32_t left = BuildNode(begin, middle, below, nodes);
  const std::uint32_t right = BuildNode(middle, end, below, nodes);
  nodes[index].left = left;
  nodes[index].right = right;
  return index;
}

void SpatialIndex::BuildRange(std::uint32_t begin, std::uint32_t end, const Lists& lists,
                              bool inLatitudeList, const Ov2Box& bounds, Nodes& nodes) {
  // The two halves of a build in two touch disjoint ranges of the three arrays. The
  // list that holds the points in input order is sorted last, into the spare room,
  // which then takes its role.
  Point* const byLongitude = lists.byLongitude + begin;
  Point* const byLatitude = lists.byLatitude + begin;
  Point* const spare = lists.spare + begin;
  const std::uint32_t count = end - begin;
  Lists sorted = lists;
  if (inLatitudeList) {
    SortBy<&Point::longitude>(byLatitude, byLongitude, spare, count, bounds.west, bounds.east);
    SortBy<&Point::latitude>(byLatitude, spare, byLatitude, count, bounds.south, bounds.north);
    std::swap(sorted.byLatitude, sorted.spare);
  } else {
    SortBy<&Point::latitude>(byLongitude, byLatitude, spare, count, bounds.south, bounds.north);
    SortBy<&Point::longitude>(byLongitude, spare, byLongitude, count, bounds.west, bounds.east);
    std::swap(sorted.byLongitude, sorted.spare);
  }
  // About two nodes for every full block.
  nodes.reserve(count / (kLeafPoints / 2) * 2 + 2);
  BuildNode(begin, end, sorted, nodes);
  SizeNodes(nodes);
}

Ov2Box SpatialIndex::BoxOf(const Point* points, std::size_t count) {
  Ov2Box box{points[0].longitude, points[0].latitude, points[0].longitude, points[0].latitude};
  for (std::size_t i = 1; i < count; ++i) {
    box.west = std::min(box.west, points[i].longitude);
    box.east = std::max(box.east, points[i].longitude);
    box.south = std::min(box.south, points[i].latitude);
    box.north = std::max(box.north, points[i].latitude);
  }
  return box;
}

template <std::int32_t SpatialIndex::Point::*Key>
void SpatialIndex::SplitTop(const Lists& lists, std::int32_t low, std::int32_t high) {
  // Both halves keep their input order, in the latitude list, where BuildRange takes
  // them: each thread takes its own half from all the points.
  const auto count = static_cast<std::uint32_t>(points_.Size());
  const std::uint32_t middle = count / 2;
  const Point pivot = PointAtRank<Key>(middle, low, high, lists.spare);
  RunBoth([&] { TakeSide<Key, true>(points_.Data(), count, pivot, lists.byLatitude); },
          [&] { TakeSide<Key, false>(points_.Data(), count, pivot, lists.byLatitude + middle); });
}

bool SpatialIndex::BuildInTwo(const Lists& lists) {
  const auto count = static_cast<std::uint32_t>(points_.Size());
  const std::uint32_t middle = count / 2;
  Ov2Box boxes[2];
  RunBoth([&] { boxes[0] = BoxOf(points_.Data(), middle); },
          [&] { boxes[1] = BoxOf(points_.Data() + middle, count - middle); });
  const Ov2Box box{std::min(boxes[0].west, boxes[1].west), std::min(boxes[0].south, boxes[1].south),
                   std::max(boxes[0].east, boxes[1].east), std::max(boxes[0].north, boxes[1].north)};
  const std::int64_t width = std::int64_t{box.east} - box.west;
  const std::int64_t height = std::int64_t{box.north} - box.south;
  if (width == 0 && height == 0) return false;
  // The top's split as BuildNode makes it: the points before the median of the wider
  // axis to the first half.
  if (width >= height) {
    SplitTop<&Point::longitude>(lists, box.west, box.east);
  } else {
    SplitTop<&Point::latitude>(lists, box.south, box.north);
  }
  for (Nodes& half : halves_) half.clear();
  RunBoth([&] { BuildRange(0, middle, lists, true, box, halves_[0]); },
          [&] { BuildRange(middle, count, lists, true, box, halves_[1]); });
  Node top;
  top.begin = 0;
  top.end = count;
  top.left = 1;  // the halves' tops, as they follow in pre-order
  top.right = 1 + static_cast<std::uint32_t>(halves_[0].size());
  top.bytes = kOv2SkipperSize + halves_[0].front().bytes + halves_[1].front().bytes;
  top.box = box;
  nodes_.assign(1, top);
  return true;
}

void SpatialIndex::Build() {
  if (built_) return;
  nodes_.clear();
  for (Nodes& half : halves_) Nodes().swap(half);
  const std::size_t count = points_.Size();
  if (count > 0) {
    // Left uninitialised: every point is written before it is read.
    room_.reset(new Point[2 * count]);
    AdviseLargePages(room_.get(), 2 * count * sizeof(Point));  // all of it is written at once
    roomPoints_ = 2 * count;
    Lists lists{points_.Data(), room_.get(), room_.get() + count};
    PutInInputOrder();
    const bool inTwo = !oneThread_ && count >= kTwoThreadPoints && BuildInTwo(lists);
    if (!inTwo) {
      BuildRange(0, static_cast<std::uint32_t>(count), lists, false, BoxOf(points_.Data(), count),
                 nodes_);
      room_.reset();
    }
    inInputOrder_ = false;
  }
  built_ = true;
}

void SpatialIndex::SizeNodes(Nodes& nodes) const {
  // Children follow their parent in `nodes`, so a backward pass meets them first.
  // A block's names lie anywhere in names_: their places are fetched ahead, from the
  // points of this tree alone (the other half of a build in two may be moving its own).
  if (nodes.empty()) return;
  const std::uint32_t first = nodes.front().begin;
  for (std::size_t n = nodes.size(); n-- > 0;) {
    Node& node = nodes[n];
    node.bytes = kOv2SkipperSize;
    if (node.left != 0) {
      node.bytes += nodes[node.left].bytes + nodes[node.right].bytes;
      continue;
    }
    for (std::uint32_t i = node.end; i-- > node.begin;) {
      if (i >= first + kLookahead) QH_PREFETCH(names_.Data() + points_[i - kLookahead].nameAt);
      node.bytes += Ov2PoiSize(NameOf(points_[i].nameAt).size());
    }
  }
}

std::uint64_t SpatialIndex::OverlaySize() {
  if (spill_ != nullptr) {
    const std::uint64_t size = spill_->OverlaySize();
    if (spill_->Error()) Fail(spill_->Error());
    return size;
  }
  Build();
  return nodes_.empty() ? 0 : nodes_.front().bytes;
}

void SpatialIndex::WriteNode(const Nodes& nodes, std::uint32_t index, Ov2Writer& writer) const {
  const Node& node = nodes[index];
  writer.Skipper(static_cast<std::uint32_t>(node.bytes), node.box);
  if (node.left == 0 && node.right == 0) {
    for (std::uint32_t i = node.begin; i < node.end; ++i) {
      // Blocks are written in the order of points_, but the names lie scattered over
      // names_: ask for them well before they are needed.
      if (i + kLookahead < points_.Size()) {
        QH_PREFETCH(names_.Data() + points_[i + kLookahead].nameAt);
      }
      const Point& p = points_[i];
      writer.Poi(p.longitude, p.latitude, NameOf(p.nameAt));
    }
    return;
  }
  WriteNode(nodes, node.left, writer);
  WriteNode(nodes, node.right, writer);
}

bool SpatialIndex::WriteInTwo(Ov2Writer& writer) const {
  const std::uint64_t secondBytes = halves_[1].front().bytes;
  if (room_ == nullptr || secondBytes > roomPoints_ * sizeof(Point)) return false;
  const Node& top = nodes_.front();
  writer.Skipper(static_cast<std::uint32_t>(top.bytes), top.box);
  // The second half's records are made meanwhile and follow the first half's. Its
  // writer hands them on as they fill its buffer; the room holds them all.
  char* const room = reinterpret_cast<char*>(room_.get());
  std::size_t made = 0;
  RunBoth([&] { WriteNode(halves_[0], 0, writer); },
          [&] {
            Ov2Writer memory([&](std::string_view records) {
              std::memcpy(room + made, records.data(), records.size());
              made += records.size();
              return true;
            });
            WriteNode(halves_[1], 0, memory);
            memory.Finish();
          });
  writer.Records(std::string_view(room, made));
  return true;
}

bool SpatialIndex::WriteInPlace(Ov2Writer& writer) {
  const Node& top = nodes_.front();
  writer.Skipper(static_cast<std::uint32_t>(top.bytes), top.box);
  // The second half's records go straight to their place in the output, after the
  // first half's, as both are made.
  const std::uint64_t firstBytes = halves_[0].front().bytes;
  const std::uint64_t secondBytes = halves_[1].front().bytes;
  const std::uint64_t firstStart = writer.BytesWritten();
  Ov2Writer::Sink ahead = writer.Ahead(firstBytes);  // before the first half moves on
  std::uint64_t made = 0;
  bool placed = false;
  RunBoth([&] { WriteNode(halves_[0], 0, writer); },
          [&] {
            Ov2Writer part([&](std::string_view records) {
              made += records.size();
              return ahead(records);
            });
            WriteNode(halves_[1], 0, part);
            placed = part.Finish();
          });
  if (writer.Failed()) return false;
  if (!placed) {
    writer.PassOver(secondBytes);  // which takes up the second half's failure
    return false;
  }
  // The halves take the bytes their nodes were sized at, or the output is not one.
  if (writer.BytesWritten() - firstStart != firstBytes || made != secondBytes) {
    return Fail(IoError{IoFailure::kWriteFailed, beside_, "the index's halves are not the size reckoned"});
  }
  return writer.PassOver(secondBytes);
}

bool SpatialIndex::Write(Ov2Writer& writer) {
  if (spill_ != nullptr) {
    if (spill_->Write(writer)) return true;
    if (spill_->Error()) Fail(spill_->Error());
    return false;
  }
  // Devices read the lengths as signed 32-bit numbers.
  if (OverlaySize() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    room_.reset();
    roomPoints_ = 0;
    return false;
  }
  if (!halves_[0].empty() && writer.PlacesAhead()) {
    if (!WriteInPlace(writer)) {
      room_.reset();
      roomPoints_ = 0;
      return false;
    }
  } else if (!halves_[0].empty()) {
    if (!WriteInTwo(writer)) {
      writer.Skipper(static_cast<std::uint32_t>(nodes_.front().bytes), nodes_.front().box);
      WriteNode(halves_[0], 0, writer);
      WriteNode(halves_[1], 0, writer);
    }
  } else if (!nodes_.empty()) {
    WriteNode(nodes_, 0, writer);
  }
  room_.reset();  // a later write goes on one thread
  roomPoints_ = 0;
  return !writer.Failed();
}

}  // namespace qh
