// The spatial index of an overlay: points split recursively at the median of their
// wider axis into blocks of at most kLeafPoints, every block and every group of
// blocks under a skipper record, so a device can pass over areas it does not need.
//
// Points are ordered by (coordinate, input position), so equal coordinates never
// tie: the tree, and with it the overlay's bytes, depend on the points alone. The
// build sorts the points once by longitude and once by latitude; a split then takes
// the first half of one list and splits the other list stably to match, so every
// box and every median is read off the lists' ends without a search.
//
// A large index splits its top first (the median found by counting, the points
// parted stably) and builds and writes the two halves on two threads, each half as
// above. The tree is the one a single thread builds, and the overlay the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "overlay/growing_array.h"
#include "files/io_error.h"
#include "overlay/ov2_writer.h"

namespace qh {

class IndexSpill;

class SpatialIndex {
 public:
  static constexpr std::size_t kLeafPoints = 20;
  // The fewest points whose index is built and written on two threads; a smaller one
  // is not worth a thread.
  static constexpr std::size_t kTwoThreadPoints = std::size_t{1} << 15;

  SpatialIndex();
  ~SpatialIndex();
  SpatialIndex(const SpatialIndex&) = delete;
  SpatialIndex& operator=(const SpatialIndex&) = delete;

  // The memory an index of `points` points with `nameBytes` name bytes in all takes to be
  // built: the points three times over (the two sorted lists and the room a split writes
  // to), the nodes, and the names with their lengths.
  static std::uint64_t MemoryFor(std::uint64_t points, std::uint64_t nameBytes);
  // Once the index would take more than `budget` bytes (MemoryFor), its points move to
  // a temporary file named after `beside` (SpillFileName), where it is split until its
  // parts fit (see overlay/index_spill.h): the overlay's bytes stay the same. 0: no
  // limit, as at first.
  void SpillBeyond(std::uint64_t budget, std::string beside);
  bool Spilled() const { return spill_ != nullptr; }

  // Room for `points` points with `nameBytes` name bytes in all, to spare regrowth.
  void Reserve(std::size_t points, std::size_t nameBytes);
  // False when the index cannot take more: the overlay would pass 2 GiB, more points
  // than one overlay can describe, or its temporary file failed (Error says why). A
  // spilled index takes no points once it is built.
  bool Add(std::int32_t longitude, std::int32_t latitude, std::string_view name);

  std::size_t Size() const;
  // Size in bytes of the overlay Write produces.
  std::uint64_t OverlaySize();

  // Splits the points and writes skippers and POIs in block order. The points are
  // reordered in place; the index can be written again and gives the same bytes.
  // False when the overlay would be too large for the 32-bit block lengths, or a
  // temporary file failed (Error says why).
  bool Write(Ov2Writer& writer);
  // Why the index failed, when it did for more than the overlay's size: its temporary
  // files failed, or the overlay cannot hold what it was given.
  const IoError& Error() const { return error_; }

  // Builds and writes on this thread alone, whatever the size: the same bytes, for
  // tests that hold the two builds against each other.
  void UseOneThread(bool oneThread) {
    oneThread_ = oneThread;
    built_ = false;
  }

 private:
  // 12 bytes a point: the bulk of a million-point index.
  struct Point {
    std::int32_t longitude, latitude;
    // Where its name is kept in names_: later for every later point added, so it also
    // tells the input order.
    std::uint32_t nameAt;
  };
  struct Node {
    std::uint32_t begin, end;
    std::uint32_t left = 0, right = 0;  // both 0 for a block of POIs
    std::uint64_t bytes = 0;            // the skipper and everything under it
    Ov2Box box;
  };
  // The points of a subtree's range in the order of each axis, and room for as many
  // that a split writes to: three disjoint arrays (points_ and the two of room_), which
  // change roles as the splits go down. A block's points end up in points_.
  struct Lists {
    Point* byLongitude;
    Point* byLatitude;
    Point* spare;
  };
  // The nodes of a subtree in pre-order (children after their parent), linked by their
  // places in it.
  using Nodes = std::vector<Node>;

  void Build();
  // Puts points_ back in the order they were added, if a build reordered them.
  void PutInInputOrder();
  // Moves the points to a spill file; false (Error says why) when it cannot.
  bool Spill();
  bool Fail(const IoError& error);
  // The tree of points [begin, end) in `nodes`: the points, in input order in the
  // latitude list (`inLatitudeList`) or the longitude list and all inside `bounds`,
  // sorted by both axes, split, and every node sized.
  void BuildRange(std::uint32_t begin, std::uint32_t end, const Lists& lists,
                  bool inLatitudeList, const Ov2Box& bounds, Nodes& nodes);
  // Splits the top in two and builds the halves at once; false, with nothing done, when
  // the top is a block of its own.
  bool BuildInTwo(const Lists& lists);
  static Ov2Box BoxOf(const Point* points, std::size_t count);  // count > 0
  // Parts all points at the median of `Key`, whose keys lie in [low, high], into the
  // two halves of the latitude list, each in input order.
  template <std::int32_t Point::*Key>
  void SplitTop(const Lists& lists, std::int32_t low, std::int32_t high);
  // The point at `rank` (from 0) of all points in the order of `Key` then input
  // position, found by counting; the keys lie in [low, high], and `spare` is room for as
  // many points.
  template <std::int32_t Point::*Key>
  Point PointAtRank(std::uint32_t rank, std::int32_t low, std::int32_t high, Point* spare) const;
  // Writes to `to`, in order, those of the `count` points at `from` that come before
  // `pivot` by `Key` (then input position) when `kBefore`, else the others.
  template <std::int32_t Point::*Key, bool kBefore>
  static void TakeSide(const Point* from, std::size_t count, Point pivot, Point* to);
  // Writes the `count` points at `from`, whose keys lie in [low, high], to `to` ordered
  // by `Key`, keeping the order of equal keys; `spare` is room for as many, and may be
  // `from` (not `to`).
  template <std::int32_t Point::*Key>
  static void SortBy(const Point* from, Point* to, Point* spare, std::size_t count,
                     std::int32_t low, std::int32_t high);
  // Where `p` comes by `Key` then input position, as one number.
  template <std::int32_t Point::*Key>
  static std::int64_t RankOf(const Point& p);
  // Splits from[begin, end) stably into the points that come before `pivot` by `Key`
  // (then input position), which go to to[begin, middle), and the rest, which go to
  // to[middle, end).
  template <std::int32_t Point::*Key>
  static void SplitInto(const Point* from, Point* to, Point pivot, std::uint32_t begin,
                        std::uint32_t middle, std::uint32_t end);
  // Appends the node of points [begin, end) and its subtree to `nodes` and returns its
  // place there.
  std::uint32_t BuildNode(std::uint32_t begin, std::uint32_t end, const Lists& lists, Nodes& nodes);
  void SizeNodes(Nodes& nodes) const;  // the bytes of every node, once the tree stands
  void WriteNode(const Nodes& nodes, std::uint32_t node, Ov2Writer& writer) const;
  // Writes the top's halves at once, the second into the room the build's lists took
  // meanwhile; false, with nothing written, when its records would not fit there.
  bool WriteInTwo(Ov2Writer& writer) const;
  // The same where the writer places a later part of its output at once: the second
  // half goes straight there. False when a half failed (Error says why when the writer
  // does not).
  bool WriteInPlace(Ov2Writer& writer);
  // The name kept at `at` in names_ (see KeepName).
  std::string_view NameOf(std::uint32_t at) const;
  // Appends `name` to names_, after its length: one byte below kLongName, else that byte
  // and four more. Read through the name's place alone, a block's names cost one
  // scattered read each.
  void KeepName(std::string_view name);

  GrowingArray<Point> points_;  // by input position; by longitude, block after block, once built
  GrowingArray<char> names_;  // each point's name after its length, in input order
  // Built by one thread: the tree. Built in two: the top alone, its halves' in their own.
  Nodes nodes_;
  Nodes halves_[2];
  // The lists of a build in two (two points' room a point), kept for its write: where
  // the writer cannot place the second half in the output at once, its records are
  // made there, so the write takes no memory of its own.
  std::unique_ptr<Point[]> room_;
  std::size_t roomPoints_ = 0;
  std::uint64_t poiBytes_ = 0;  // of all points added
  std::uint64_t budget_ = 0;
  std::string beside_;
  std::unique_ptr<IndexSpill> spill_;
  IoError error_;
  bool built_ = false;
  bool inInputOrder_ = true;  // points_ as added, not yet sorted by a build
  bool oneThread_ = false;
};

}  // namespace qh
