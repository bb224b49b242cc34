// OV2 overlay records as TomTom devices read them: little-endian 32-bit integers,
// coordinates in units of 0.00001 degree, names as 8-bit text with a NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "formats/ov2_units.h"

namespace qh {

inline constexpr std::uint8_t kOv2SkipperType = 1;
inline constexpr std::uint8_t kOv2PoiType = 2;
inline constexpr std::size_t kOv2SkipperSize = 21;
// type, length, longitude, latitude and the closing NUL of a simple POI.
inline constexpr std::size_t kOv2PoiOverhead = 14;

// The area a skipper covers, in OV2 units; west <= east and south <= north.
struct Ov2Box {
  std::int32_t west = 0, south = 0, east = 0, north = 0;
};

inline std::size_t Ov2PoiSize(std::size_t nameBytes) { return kOv2PoiOverhead + nameBytes; }

// The records' bytes, stored straight into room of their size; here, so that a writer's
// loop over millions of points makes no call a record.
namespace ov2_records {

inline char* PutLe32(char* at, std::uint32_t value) {
  at[0] = static_cast<char>(value & 0xFF);
  at[1] = static_cast<char>((value >> 8) & 0xFF);
  at[2] = static_cast<char>((value >> 16) & 0xFF);
  at[3] = static_cast<char>((value >> 24) & 0xFF);
  return at + 4;
}

// Whether `text` holds a NUL, looked for eight bytes at a time.
inline bool HoldsNul(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, sizeof word);
    if (((word - kOnes) & ~word & kHighs) != 0) return true;  // a zero byte, exactly
  }
  for (; i < text.size(); ++i) {
    if (text[i] == '\0') return true;
  }
  return false;
}

inline void PutPoi(char* at, std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  *at++ = static_cast<char>(kOv2PoiType);
  at = PutLe32(at, static_cast<std::uint32_t>(Ov2PoiSize(name.size())));
  at = PutLe32(at, static_cast<std::uint32_t>(longitude));
  at = PutLe32(at, static_cast<std::uint32_t>(latitude));
  if (!name.empty()) std::memcpy(at, name.data(), name.size());
  // A NUL inside would end the name early on the device: it is written as a blank.
  if (HoldsNul(name)) {
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (at[i] == '\0') at[i] = ' ';
    }
  }
  at[name.size()] = '\0';
}

}  // namespace ov2_records

void AppendOv2Poi(std::string& out, std::int32_t longitude, std::int32_t latitude,
                  std::string_view name);
void AppendOv2Skipper(std::string& out, std::uint32_t blockLength, const Ov2Box& box);

// Collects records in a large buffer and hands it to `sink` when full and at
// Finish. A sink that returns false makes the writer fail; later records are dropped.
class Ov2Writer {
 public:
  using Sink = std::function<bool(std::string_view)>;
  explicit Ov2Writer(Sink sink, std::size_t bufferSize = std::size_t{1} << 20);

  // Runs once a record: direct stores into the buffer, no string operations.
  void Poi(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
    if (failed_) return;
    ov2_records::PutPoi(Room(Ov2PoiSize(name.size())), longitude, latitude, name);
    if (used_ >= limit_) Finish();
  }
  void Skipper(std::uint32_t blockLength, const Ov2Box& box);
  // Whole records made elsewhere (by a writer into memory), passed on in their place.
  void Records(std::string_view records);
  bool Finish();
  bool Failed() const { return failed_; }
  std::uint64_t BytesWritten() const { return written_ + used_; }

  // Where the output can take a later part of itself at once, made on another thread
  // while this writer goes on: `place` puts bytes at a position counted from the
  // output's start (this writer's first byte), `passOver` says that the next bytes of
  // the output are in place. Given by the output's owner; without them a later part is
  // made in memory and handed on with Records.
  using Place = std::function<bool(std::uint64_t position, std::string_view bytes)>;
  using PassOverSink = std::function<bool(std::uint64_t bytes)>;
  void PlaceAhead(Place place, PassOverSink passOver);
  bool PlacesAhead() const { return static_cast<bool>(place_); }
  // A sink, for another thread, for the records that belong `distance` bytes past this
  // writer's next byte: they go straight to their place.
  Sink Ahead(std::uint64_t distance) const;
  // The `bytes` after this writer's next byte are in place, made through Ahead: hands on
  // what it holds and goes on after them.
  bool PassOver(std::uint64_t bytes);

 private:
  // `size` bytes at the end of the buffer to fill.
  char* Room(std::size_t size) {
    if (used_ + size > buffer_.size()) Grow(size);  // only a name longer than the buffer
    char* const at = buffer_.data() + used_;
    used_ += size;
    return at;
  }
  void Grow(std::size_t size);
  Sink sink_;
  Place place_;
  PassOverSink passOver_;
  std::string buffer_;  // its first used_ bytes are the records not yet handed on
  std::size_t used_ = 0;
  std::size_t limit_;
  std::uint64_t written_ = 0;
  bool failed_ = false;
};

}  // namespace qh
