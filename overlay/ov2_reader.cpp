#include "overlay/ov2_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "overlay/byte_reader.h"
#include "files/file_calls.h"
#include "files/file_system.h"
#include "overlay/ov2_writer.h"

namespace qh {
namespace {

constexpr std::size_t kRecordHead = 5;  // type and length

// An open skipper: where its block ends, and the area every point inside it must lie
// in (its box cut by the boxes of the skippers around it).
struct OpenBlock {
  std::size_t end;
  Ov2Box area;
};

std::string Number(std::size_t value) { return std::to_string(value); }

// The overlay's bytes as the walk asks for them, front to back.
class Source {
 public:
  virtual ~Source() = default;
  // The bytes [at, at + count), within the file and never before an earlier view's
  // start; valid until the next call. Empty when they cannot be read.
  virtual std::string_view At(std::size_t at, std::size_t count) = 0;
};

// An overlay in memory.
class WholeSource : public Source {
 public:
  explicit WholeSource(std::string_view bytes) : bytes_(bytes) {}
  std::string_view At(std::size_t at, std::size_t count) override {
    return bytes_.substr(at, count);
  }

 private:
  std::string_view bytes_;
};

// An overlay read from its file in pieces: only the record the walk is at is held,
// whatever the file's size.
class FileSource : public Source {
 public:
  FileSource(FileHandle file, const std::string& path, std::size_t size)
      : file_(file), path_(path), size_(size) {}
  ~FileSource() override { CurrentFileCalls().close(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::string_view At(std::size_t at, std::size_t count) override {
    if (at + count > start_ + (end_ - begin_) && !Fill(at, count)) return {};
    return std::string_view(room_.get() + begin_ + (at - start_), count);
  }
  const IoError& Error() const { return error_; }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 20;

  // Keeps the bytes from `at` on and reads until `count` of them are held.
  bool Fill(std::size_t at, std::size_t count) {
    const std::size_t heldEnd = start_ + (end_ - begin_);
    if (at >= heldEnd) {
      begin_ = end_ = 0;
      if (!Pass(at - heldEnd)) return false;
      begin_ = end_ = 0;
    } else {
      begin_ += at - start_;
    }
    start_ = at;
    MakeRoom(count);
    while (end_ - begin_ < count) {
      const std::size_t want = std::min(capacity_ - end_, size_ - read_);
      if (!Read(room_.get() + end_, want)) return false;
    }
    return true;
  }
  // Room for `count` bytes from begin_, the bytes held moved to the front.
  void MakeRoom(std::size_t count) {
    const std::size_t held = end_ - begin_;
    if (capacity_ >= count && capacity_ - begin_ >= count) return;
    if (capacity_ < count || room_ == nullptr) {
      const std::size_t capacity = std::max(count, kPiece);
      std::unique_ptr<char[]> larger(new char[capacity]);
      if (held > 0) std::memcpy(larger.get(), room_.get() + begin_, held);
      room_ = std::move(larger);
      capacity_ = capacity;
    } else {
      std::memmove(room_.get(), room_.get() + begin_, held);
    }
    begin_ = 0;
    end_ = held;
  }
  // Reads and drops `count` bytes (records passed over).
  bool Pass(std::size_t count) {
    MakeRoom(kPiece);
    while (count > 0) {
      end_ = begin_ = 0;
      const std::size_t size = std::min(count, capacity_);
      if (!Read(room_.get(), size)) return false;
      count -= end_;
    }
    return true;
  }
  // Reads up to `size` bytes to `into` (the end of what is held); false, with the
  // reason, when the system fails or the file ends before the size it had.
  bool Read(char* into, std::size_t size) {
    const std::ptrdiff_t got = size == 0 ? 0 : CurrentFileCalls().read(file_, into, size);
    if (got < 0) {
      error_ = {IoFailure::kReadFailed, path_, std::strerror(errno != 0 ? errno : EIO)};
      return false;
    }
    if (got == 0) {
      error_ = {IoFailure::kEndOfFile, path_,
                "it ended at byte " + Number(read_) + " of the " + Number(size_) +
                    " it had when it was opened"};
      return false;
    }
    end_ += static_cast<std::size_t>(got);
    read_ += static_cast<std::size_t>(got);
    return true;
  }

  FileHandle file_;
  const std::string& path_;
  std::size_t size_;
  std::unique_ptr<char[]> room_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0, end_ = 0;  // the bytes held in room_
  std::size_t start_ = 0;            // the file offset of room_[begin_]
  std::size_t read_ = 0;             // bytes read from the file so far
  IoError error_;
};

class Walk {
 public:
  Walk(std::size_t size, Source& source, const Ov2Visitor& visitor, Ov2Reading reading)
      : size_(size), source_(source), visitor_(visitor),
        lenient_(reading == Ov2Reading::kLenient) {
    constexpr std::int32_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kHigh = std::numeric_limits<std::int32_t>::max();
    blocks_.push_back({size, Ov2Box{kLow, kLow, kHigh, kHigh}});
  }

  // The summary; `unread` when the source could not give the bytes the walk needed.
  Ov2Summary Run(bool& unread) {
    std::size_t at = 0;
    while (!stopped_ && !unread_) {
      while (blocks_.size() > 1 && at >= blocks_.back().end) blocks_.pop_back();
      if (at == size_) break;
      at = Record(at);
    }
    unread = unread_;
    return summary_;
  }

 private:
  // Reads the record at `at` and returns where the next one starts (into a skipper's
  // block for a skipper).
  std::size_t Record(std::size_t at) {
    if (size_ - at < kRecordHead) {
      return Junk(at, "record cut short: " + Number(size_ - at) +
                          " bytes left in the file, 5 needed");
    }
    const std::string_view head = View(at, kRecordHead);
    if (head.empty()) return at;
    ByteReader reader(head);
    const std::uint8_t type = reader.U8();
    const std::uint32_t length = reader.U32();
    if (length > size_ - at) {
      std::string what = "record length " + Number(length) + " points outside the file (" +
                         Number(size_) + " bytes)";
      return type == kOv2SkipperType ? BadSkipper(at, std::move(what)) : Junk(at, std::move(what));
    }
    if (length > blocks_.back().end - at) {
      // The skipper around it does not add up: its block is read as records in order.
      if (!Fault(at, Ov2Fault::kBadSkipper, "record length " + Number(length) +
                                                " runs past its block, which ends at " +
                                                Number(blocks_.back().end))) {
        return at;
      }
      while (blocks_.size() > 1 && at + length > blocks_.back().end) blocks_.pop_back();
    }
    if (length < kRecordHead) {
      std::string what = "record length " + Number(length) + " is shorter than its own head";
      return type == kOv2SkipperType ? BadSkipper(at, std::move(what)) : Junk(at, std::move(what));
    }
    switch (type) {
      case kOv2SkipperType: return Skipper(at, length);
      case kOv2PoiType:
      case kOv2ExtendedPoiType: return Point(at, length, type);
      case kOv2DeletedType: ++summary_.deleted; break;
      default:
        ++summary_.unknown;
        if (visitor_.unknown) visitor_.unknown(at, type);
    }
    return at + length;
  }

  std::size_t Skipper(std::size_t at, std::uint32_t length) {
    if (length < kOv2SkipperSize) {
      return BadSkipper(at, "skipper length " + Number(length) +
                                " is shorter than the skipper (21 bytes)");
    }
    const std::string_view record = View(at, kOv2SkipperSize);
    if (record.empty()) return at;
    ByteReader reader(record.substr(kRecordHead));
    Ov2Box box;
    box.east = reader.I32();
    box.north = reader.I32();
    box.west = reader.I32();
    box.south = reader.I32();
    if (box.west > box.east || box.south > box.north) {
      if (!Fault(at, Ov2Fault::kInvertedBox, "skipper box is inverted")) return at;
      box = Ov2Box{std::min(box.west, box.east), std::min(box.south, box.north),
                   std::max(box.west, box.east), std::max(box.south, box.north)};
    }
    // blocks_ starts with the whole file, so it holds one more than the skippers open.
    if (blocks_.size() > kOv2DeepestNesting) {
      return BadSkipper(at, "skippers nested more than " + Number(kOv2DeepestNesting) + " deep");
    }
    const Ov2Box& outer = blocks_.back().area;
    Ov2Box area{std::max(outer.west, box.west), std::max(outer.south, box.south),
                std::min(outer.east, box.east), std::min(outer.north, box.north)};
    blocks_.push_back({at + length, area});
    ++summary_.blocks;
    return at + kOv2SkipperSize;
  }

  // A skipper that does not add up. Leniently, its block is not entered (no box, no
  // end, no nesting: memory stays bounded) and the records after its 21 bytes are read
  // in order.
  std::size_t BadSkipper(std::size_t at, std::string what) {
    if (size_ - at < kOv2SkipperSize) return Junk(at, std::move(what));
    if (!Fault(at, Ov2Fault::kBadSkipper, std::move(what))) return at;
    const std::size_t next = at + kOv2SkipperSize;
    while (blocks_.size() > 1 && next > blocks_.back().end) blocks_.pop_back();
    return next;
  }

  std::size_t Point(std::size_t at, std::uint32_t length, std::uint8_t type) {
    if (length < kOv2PoiOverhead) {
      if (!Fault(at, Ov2Fault::kShortRecord, "point length " + Number(length) +
                                                 " is shorter than a point (14 bytes)")) {
        return at;
      }
      return at + length;
    }
    const std::string_view record = View(at, length);
    if (record.empty()) return at;
    ByteReader reader(record.substr(kRecordHead));
    Ov2Point point;
    point.offset = at;
    point.longitude = reader.I32();
    point.latitude = reader.I32();
    const std::string_view texts = record.substr(13);
    if (texts.back() != '\0' &&
        !Fault(at, Ov2Fault::kTextWithoutNul, "point text does not end with a NUL")) {
      return at;
    }
    const std::size_t nameEnd = std::min(texts.find('\0'), texts.size());
    point.name = texts.substr(0, nameEnd);
    if (type == kOv2ExtendedPoiType) {
      point.further = Further(texts.substr(std::min(nameEnd + 1, texts.size())));
    }
    return Place(at, length, point);
  }

  // Judges where the point lies and gives it on.
  std::size_t Place(std::size_t at, std::uint32_t length, const Ov2Point& point) {
    if (point.longitude < -kLongitudeLimit || point.longitude > kLongitudeLimit ||
        point.latitude < -kLatitudeLimit || point.latitude > kLatitudeLimit) {
      return Fault(at, Ov2Fault::kOffEarth, "point lies off the Earth") ? at + length : at;
    }
    const Ov2Box& area = blocks_.back().area;
    if ((point.longitude < area.west || point.longitude > area.east ||
         point.latitude < area.south || point.latitude > area.north) &&
        !Fault(at, Ov2Fault::kOutsideBox, "point lies outside the box of a skipper that holds it")) {
      return at;
    }
    ++summary_.points;
    if (visitor_.point) visitor_.point(point);
    return at + length;
  }

  // The bytes of a record; empty, and the walk ends, when they could not be read.
  std::string_view View(std::size_t at, std::size_t count) {
    const std::string_view bytes = source_.At(at, count);
    if (bytes.size() != count) {
      unread_ = true;
      return {};
    }
    return bytes;
  }

  // The texts after the name: their NULs become blanks, the last one is dropped, and
  // so are empty texts at the end.
  std::string_view Further(std::string_view rest) {
    while (!rest.empty() && rest.back() == '\0') rest.remove_suffix(1);
    further_.assign(rest);
    std::replace(further_.begin(), further_.end(), '\0', ' ');
    return further_;
  }

  // Bytes from `at` on that make no record: leniently, the file ends before them.
  std::size_t Junk(std::size_t at, std::string what) {
    if (!Fault(at, Ov2Fault::kJunk, std::move(what))) return at;
    summary_.faults[static_cast<std::size_t>(Ov2Fault::kJunk)] += size_ - at - 1;
    stopped_ = true;
    return size_;
  }

  // Notes a fault; true when the walk goes on (a lenient walk), false when it stops.
  bool Fault(std::size_t at, Ov2Fault kind, std::string what) {
    ContentError fault{std::string(), 0, at, std::move(what)};
    ++summary_.faults[static_cast<std::size_t>(kind)];
    if (visitor_.fault) visitor_.fault(fault, kind);
    if (!summary_.fault) summary_.fault = std::move(fault);
    stopped_ = !lenient_;
    return lenient_;
  }

  static constexpr std::int32_t kLongitudeLimit = 180 * 100000;
  static constexpr std::int32_t kLatitudeLimit = 90 * 100000;

  std::size_t size_;
  Source& source_;
  const Ov2Visitor& visitor_;
  bool lenient_;
  std::vector<OpenBlock> blocks_;
  std::string further_;
  Ov2Summary summary_;
  bool stopped_ = false;
  bool unread_ = false;
};

}  // namespace

Ov2Summary ReadOv2File(const std::string& path, const Ov2Visitor& visitor, IoError& error,
                       Ov2Reading reading) {
  error = {};
  PathFacts facts;
  const FileHandle file = OpenRegularFile(path, facts, error);
  if (file == kNoFile) return {};
  if (facts.kind != PathKind::kFile ||
      facts.size > std::numeric_limits<std::size_t>::max()) {
    CurrentFileCalls().close(file);
    error = facts.kind != PathKind::kFile
                ? IoError{IoFailure::kCannotOpen, path, "the system does not tell its size"}
                : IoError{IoFailure::kTooLarge, path, "it is larger than this program can address"};
    return {};
  }
  const auto size = static_cast<std::size_t>(facts.size);
  FileSource source(file, path, size);
  bool unread = false;
  const Ov2Summary summary = Walk(size, source, visitor, reading).Run(unread);
  if (unread) error = source.Error();
  return summary;
}

Ov2Summary ReadOv2(std::string_view bytes, const Ov2Visitor& visitor, Ov2Reading reading) {
  WholeSource source(bytes);
  bool unread = false;
  return Walk(bytes.size(), source, visitor, reading).Run(unread);
}

}  // namespace qh
