#include "overlay/index_spill.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "overlay/spatial_index.h"

namespace qh {

namespace {

constexpr int kBucketBits = 16;  // a part's median is counted out by its keys' top bits
constexpr std::size_t kBuckets = std::size_t{1} << kBucketBits;
constexpr std::size_t kCopyBytes = std::size_t{1} << 20;
// The fewest candidates for a median gathered in memory (8 bytes each), whatever the
// budget; more are, up to a quarter of it.
constexpr std::uint64_t kFewestGathered = 64;

// A coordinate as an unsigned number of the same order, and back.
std::uint32_t RadixKey(std::int32_t value) { return static_cast<std::uint32_t>(value) ^ 0x80000000u; }
std::int32_t FromRadixKey(std::uint32_t key) { return static_cast<std::int32_t>(key ^ 0x80000000u); }

std::int32_t KeyOf(const SpillRecord& record, int axis) {
  return axis == 0 ? record.longitude : record.latitude;
}
std::uint32_t BucketOf(std::int32_t key) { return RadixKey(key) >> (32 - kBucketBits); }

}  // namespace

// A part of the points on the disk, in input order, with what a split needs to know of
// it: its box, and for each axis how many of its points fall in each range of keys.
struct IndexSpill::Part {
  SpillFile file;
  std::uint64_t count = 0, nameBytes = 0, poiBytes = 0;
  Ov2Box box{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
             std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()};
  std::vector<std::uint32_t> buckets[2];

  Part() {
    for (auto& counts : buckets) counts.assign(kBuckets, 0);
  }
  void Count(std::int32_t longitude, std::int32_t latitude, std::size_t nameSize) {
    ++count;
    nameBytes += nameSize;
    poiBytes += Ov2PoiSize(nameSize);
    box.west = std::min(box.west, longitude);
    box.east = std::max(box.east, longitude);
    box.south = std::min(box.south, latitude);
    box.north = std::max(box.north, latitude);
    ++buckets[0][BucketOf(longitude)];
    ++buckets[1][BucketOf(latitude)];
  }
  bool Take(const SpillRecord& record) {
    Count(record.longitude, record.latitude, record.name.size());
    return file.Append(record.bytes);
  }
  std::int64_t Width() const { return std::int64_t{box.east} - box.west; }
  std::int64_t Height() const { return std::int64_t{box.north} - box.south; }
  // The axis a split takes: the wider, longitude when both are as wide.
  int Axis() const { return Width() >= Height() ? 0 : 1; }
};

IndexSpill::IndexSpill(std::uint64_t budget, std::string beside)
    : budget_(budget), beside_(std::move(beside)), root_(std::make_unique<Part>()) {}

IndexSpill::~IndexSpill() = default;

bool IndexSpill::FailWith(const IoError& error) {
  if (error_) return false;
  error_ = error;
  if (error_.what == IoFailure::kNone) error_.what = IoFailure::kReadFailed;
  if (error_.reason.empty()) error_.reason = "input/output error";
  return false;
}

bool IndexSpill::FailRead(const SpillReader& reader) {
  return FailWith(reader.Failed() ? reader.Error() : IoError{});
}

bool IndexSpill::FailTooLarge() {
  return FailWith(IoError{IoFailure::kTooLarge, beside_, "the overlay would exceed 2 GiB"});
}

bool IndexSpill::Open() {
  return root_->file.Create(beside_) || FailWith(root_->file.Error());
}

bool IndexSpill::Add(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  if (built_ || error_) return false;
  if (!AppendSpillRecord(root_->file, longitude, latitude, name)) {
    return FailWith(root_->file.Error());
  }
  root_->Count(longitude, latitude, name.size());
  ++points_;
  return true;
}

bool IndexSpill::Build() {
  if (built_) return !error_;
  built_ = true;
  if (!root_->file.EndWriting()) return FailWith(root_->file.Error());
  if (!runs_.Create(beside_)) return FailWith(runs_.Error());
  pieces_.clear();
  std::uint32_t top = 0;
  const bool done = BuildPart(*root_, top);
  root_.reset();
  if (!done) {
    runs_.Remove();
    return false;
  }
  return runs_.EndWriting() || FailWith(runs_.Error());
}

bool IndexSpill::BuildPart(Part& part, std::uint32_t& piece) {
  piece = static_cast<std::uint32_t>(pieces_.size());
  pieces_.emplace_back();
  Piece made;
  made.box = part.box;
  const bool fits = part.count <= SpatialIndex::kLeafPoints ||
                    SpatialIndex::MemoryFor(part.count, part.nameBytes) <= budget_;
  if (fits || (part.Width() == 0 && part.Height() == 0)) {
    made.run = true;
    const bool done = fits ? BuildInMemory(part, made) : WriteBlock(part, made);
    part.file.Remove();
    pieces_[piece] = made;
    return done;
  }
  const int axis = part.Axis();
  Part left, right;
  if (!Split(part, axis, left, right)) return false;
  part.file.Remove();
  // Only the axis each half splits on is counted on; the other's counts go.
  for (Part* half : {&left, &right}) std::vector<std::uint32_t>().swap(half->buckets[1 - half->Axis()]);
  std::vector<std::uint32_t>().swap(part.buckets[axis]);
  if (!BuildPart(left, made.left)) return false;
  if (!BuildPart(right, made.right)) return false;
  made.bytes = kOv2SkipperSize + pieces_[made.left].bytes + pieces_[made.right].bytes;
  pieces_[piece] = made;
  return true;
}

bool IndexSpill::BuildInMemory(Part& part, Piece& piece) {
  SpatialIndex index;
  index.Reserve(static_cast<std::size_t>(part.count), static_cast<std::size_t>(part.nameBytes));
  SpillReader reader(part.file);
  SpillRecord record;
  while (reader.Next(record)) {
    if (!index.Add(record.longitude, record.latitude, record.name)) {
      return FailTooLarge();
    }
  }
  if (reader.Failed() || index.Size() != part.count) return FailRead(reader);
  Ov2Writer writer([this](std::string_view bytes) { return runs_.Append(bytes); });
  if (!index.Write(writer) || !writer.Finish()) {
    return runs_.Failed() ? FailWith(runs_.Error()) : FailTooLarge();
  }
  piece.bytes = index.OverlaySize();
  return true;
}

bool IndexSpill::WriteBlock(Part& part, Piece& piece) {
  // Points at one position: one block, in input order, as the index in memory makes it.
  piece.bytes = kOv2SkipperSize + part.poiBytes;
  if (piece.bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return FailTooLarge();
  }
  Ov2Writer writer([this](std::string_view bytes) { return runs_.Append(bytes); });
  writer.Skipper(static_cast<std::uint32_t>(piece.bytes), part.box);
  SpillReader reader(part.file);
  SpillRecord record;
  while (reader.Next(record)) writer.Poi(record.longitude, record.latitude, record.name);
  if (reader.Failed()) return FailRead(reader);
  return writer.Finish() || FailWith(runs_.Error());
}

bool IndexSpill::Split(Part& part, int axis, Part& left, Part& right) {
  Pivot pivot;
  if (!FindPivot(part, axis, pivot)) return false;
  if (!left.file.Create(beside_)) return FailWith(left.file.Error());
  if (!right.file.Create(beside_)) return FailWith(right.file.Error());
  // The points before the pivot (by key, then input position) to the left, stably.
  SpillReader reader(part.file);
  SpillRecord record;
  std::uint32_t ordinal = 0;
  while (reader.Next(record)) {
    const std::int32_t key = KeyOf(record, axis);
    const bool before = key < pivot.key || (key == pivot.key && ordinal < pivot.ordinal);
    if (!(before ? left : right).Take(record)) {
      return FailWith((before ? left : right).file.Error());
    }
    ++ordinal;
  }
  if (reader.Failed() || ordinal != part.count) return FailRead(reader);
  if (!left.file.EndWriting()) return FailWith(left.file.Error());
  return right.file.EndWriting() || FailWith(right.file.Error());
}

bool IndexSpill::FindPivot(Part& part, int axis, Pivot& pivot) {
  // The point at rank count / 2, as the index in memory splits: its range of keys by
  // the counts, then the point itself among those of that range.
  std::uint64_t rank = part.count / 2;
  const std::vector<std::uint32_t>& counts = part.buckets[axis];
  std::uint32_t bucket = 0;
  while (rank >= counts[bucket]) rank -= counts[bucket++];
  const std::uint64_t mostGathered = std::max(budget_ / 4 / sizeof(Pivot), kFewestGathered);
  if (counts[bucket] <= mostGathered) return GatherPivot(part, axis, bucket, rank, pivot);
  return CountPivot(part, axis, bucket, rank, pivot);
}

bool IndexSpill::GatherPivot(Part& part, int axis, std::uint32_t bucket, std::uint64_t rank,
                             Pivot& pivot) {
  std::vector<Pivot> gathered;
  gathered.reserve(part.buckets[axis][bucket]);
  SpillReader reader(part.file);
  SpillRecord record;
  std::uint32_t ordinal = 0;
  while (reader.Next(record)) {
    const std::int32_t key = KeyOf(record, axis);
    if (BucketOf(key) == bucket) gathered.push_back({key, ordinal});
    ++ordinal;
  }
  if (reader.Failed() || rank >= gathered.size()) return FailRead(reader);
  const auto at = gathered.begin() + static_cast<std::ptrdiff_t>(rank);
  std::nth_element(gathered.begin(), at, gathered.end(), [](const Pivot& a, const Pivot& b) {
    return a.key < b.key || (a.key == b.key && a.ordinal < b.ordinal);
  });
  pivot = *at;
  return true;
}

bool IndexSpill::CountPivot(Part& part, int axis, std::uint32_t bucket, std::uint64_t rank,
                            Pivot& pivot) {
  // Too many in the range to gather: its keys counted by their low bits give the
  // pivot's key, and a second pass the point of that key at the rank left.
  std::vector<std::uint64_t> low(kBuckets, 0);
  SpillRecord record;
  {
    SpillReader reader(part.file);
    while (reader.Next(record)) {
      const std::uint32_t key = RadixKey(KeyOf(record, axis));
      if (key >> (32 - kBucketBits) == bucket) ++low[key & (kBuckets - 1)];
    }
    if (reader.Failed()) return FailRead(reader);
  }
  std::uint32_t lowBits = 0;
  while (rank >= low[lowBits]) rank -= low[lowBits++];
  pivot.key = FromRadixKey(bucket << (32 - kBucketBits) | lowBits);
  SpillReader reader(part.file);
  std::uint32_t ordinal = 0;
  while (reader.Next(record)) {
    if (KeyOf(record, axis) == pivot.key && rank-- == 0) {
      pivot.ordinal = ordinal;
      return true;
    }
    ++ordinal;
  }
  return FailRead(reader);
}

std::uint64_t IndexSpill::OverlaySize() {
  if (!Build() || pieces_.empty()) return 0;
  return pieces_.front().bytes;
}

bool IndexSpill::WritePiece(std::uint32_t index, Ov2Writer& writer, std::vector<char>& buffer) {
  const Piece& piece = pieces_[index];
  if (!piece.run) {
    writer.Skipper(static_cast<std::uint32_t>(piece.bytes), piece.box);
    return WritePiece(piece.left, writer, buffer) && WritePiece(piece.right, writer, buffer);
  }
  // The part's records follow the last part's in the second file.
  for (std::uint64_t left = piece.bytes; left > 0;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    std::size_t got = 0;
    while (got < want) {
      const std::size_t read = runs_.Read(buffer.data() + got, want - got);
      if (read == 0) {
        return FailWith(runs_.Failed() ? runs_.Error()
                                       : IoError{IoFailure::kEndOfFile, runs_.Path(),
                                                 "its temporary file ended early"});
      }
      got += read;
    }
    writer.Records(std::string_view(buffer.data(), got));
    if (writer.Failed()) return false;
    left -= got;
  }
  return true;
}

bool IndexSpill::Write(Ov2Writer& writer) {
  const std::uint64_t size = OverlaySize();
  if (error_) return false;
  if (size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return false;
  if (pieces_.empty()) return true;
  if (!runs_.StartReading()) return FailWith(runs_.Error());
  std::vector<char> buffer(kCopyBytes);
  return WritePiece(0, writer, buffer) && !writer.Failed();
}

}  // namespace qh
