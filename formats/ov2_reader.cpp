#include "formats/ov2_reader.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/ov2_writer.h"

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

class Walk {
 public:
  Walk(std::string_view bytes, const Ov2Visitor& visitor)
      : bytes_(bytes), reader_(bytes), visitor_(visitor) {
    constexpr std::int32_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kHigh = std::numeric_limits<std::int32_t>::max();
    blocks_.push_back({bytes.size(), Ov2Box{kLow, kLow, kHigh, kHigh}});
  }

  Ov2Summary Run() {
    std::size_t at = 0;
    while (!summary_.fault) {
      while (blocks_.size() > 1 && at == blocks_.back().end) blocks_.pop_back();
      if (at == bytes_.size()) break;
      at = Record(at);
    }
    return summary_;
  }

 private:
  // Reads the record at `at` and returns where the next one starts (into a skipper's
  // block for a skipper).
  std::size_t Record(std::size_t at) {
    const std::size_t blockEnd = blocks_.back().end;
    reader_.Seek(at);
    const std::uint8_t type = reader_.U8();
    const std::uint32_t length = reader_.U32();
    if (reader_.Failed()) return Fault(at, "record cut short: " + Number(bytes_.size() - at) +
                                               " bytes left in the file, 5 needed");
    if (length > bytes_.size() - at) {
      return Fault(at, "record length " + Number(length) + " points outside the file (" +
                           Number(bytes_.size()) + " bytes)");
    }
    if (length > blockEnd - at) {
      return Fault(at, "record length " + Number(length) + " runs past its block, which ends at " +
                           Number(blockEnd));
    }
    if (length < kRecordHead) {
      return Fault(at, "record length " + Number(length) + " is shorter than its own head");
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
      return Fault(at, "skipper length " + Number(length) +
                           " is shorter than the skipper (21 bytes)");
    }
    Ov2Box box;
    box.east = reader_.I32();
    box.north = reader_.I32();
    box.west = reader_.I32();
    box.south = reader_.I32();
    if (box.west > box.east || box.south > box.north) return Fault(at, "skipper box is inverted");
    const Ov2Box& outer = blocks_.back().area;
    Ov2Box area{std::max(outer.west, box.west), std::max(outer.south, box.south),
                std::min(outer.east, box.east), std::min(outer.north, box.north)};
    blocks_.push_back({at + length, area});
    ++summary_.blocks;
    return at + kOv2SkipperSize;
  }

  std::size_t Point(std::size_t at, std::uint32_t length, std::uint8_t type) {
    if (length < kOv2PoiOverhead) {
      return Fault(at, "point length " + Number(length) + " is shorter than a point (14 bytes)");
    }
    Ov2Point point;
    point.offset = at;
    point.longitude = reader_.I32();
    point.latitude = reader_.I32();
    const std::string_view texts = bytes_.substr(at + 13, length - 13);
    if (texts.back() != '\0') return Fault(at, "point text does not end with a NUL");
    const std::size_t nameEnd = texts.find('\0');
    point.name = texts.substr(0, nameEnd);
    if (type == kOv2ExtendedPoiType) point.further = Further(texts.substr(nameEnd + 1));
    const Ov2Box& area = blocks_.back().area;
    if (point.longitude < area.west || point.longitude > area.east ||
        point.latitude < area.south || point.latitude > area.north) {
      return Fault(at, "point lies outside the box of a skipper that holds it");
    }
    ++summary_.points;
    if (visitor_.point) visitor_.point(point);
    return at + length;
  }

  // The texts after the name: their NULs become blanks, the last one is dropped, and
  // so are empty texts at the end.
  std::string_view Further(std::string_view rest) {
    while (!rest.empty() && rest.back() == '\0') rest.remove_suffix(1);
    further_.assign(rest);
    std::replace(further_.begin(), further_.end(), '\0', ' ');
    return further_;
  }

  std::size_t Fault(std::size_t at, std::string what) {
    summary_.fault = {std::string(), 0, at, std::move(what)};
    return at;
  }

  std::string_view bytes_;
  ByteReader reader_;
  const Ov2Visitor& visitor_;
  std::vector<OpenBlock> blocks_;
  std::string further_;
  Ov2Summary summary_;
};

}  // namespace

Ov2Summary ReadOv2(std::string_view bytes, const Ov2Visitor& visitor) {
  return Walk(bytes, visitor).Run();
}

}  // namespace qh
