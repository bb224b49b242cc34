#include "overlay/ov2_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace qh {

namespace {

using ov2_records::PutLe32;

void PutSkipper(char* at, std::uint32_t blockLength, const Ov2Box& box) {
  *at++ = static_cast<char>(kOv2SkipperType);
  at = PutLe32(at, blockLength);
  // East, north, west, south: the order devices are reported to accept.
  at = PutLe32(at, static_cast<std::uint32_t>(box.east));
  at = PutLe32(at, static_cast<std::uint32_t>(box.north));
  at = PutLe32(at, static_cast<std::uint32_t>(box.west));
  PutLe32(at, static_cast<std::uint32_t>(box.south));
}

char* AppendRoom(std::string& out, std::size_t size) {
  const std::size_t at = out.size();
  out.resize(at + size);
  return out.data() + at;
}

}  // namespace

void AppendOv2Poi(std::string& out, std::int32_t longitude, std::int32_t latitude,
                  std::string_view name) {
  ov2_records::PutPoi(AppendRoom(out, Ov2PoiSize(name.size())), longitude, latitude, name);
}

void AppendOv2Skipper(std::string& out, std::uint32_t blockLength, const Ov2Box& box) {
  PutSkipper(AppendRoom(out, kOv2SkipperSize), blockLength, box);
}

Ov2Writer::Ov2Writer(Sink sink, std::size_t bufferSize)
    : sink_(std::move(sink)), buffer_(bufferSize + 256, '\0'), limit_(bufferSize) {}

void Ov2Writer::Grow(std::size_t size) {
  buffer_.resize(std::max(2 * buffer_.size(), used_ + size));
}

void Ov2Writer::Skipper(std::uint32_t blockLength, const Ov2Box& box) {
  if (failed_) return;
  PutSkipper(Room(kOv2SkipperSize), blockLength, box);
  if (used_ >= limit_) Finish();
}

void Ov2Writer::Records(std::string_view records) {
  if (failed_) return;
  // Large runs go on at once; the buffer keeps the order.
  if (used_ + records.size() <= limit_) {
    std::memcpy(Room(records.size()), records.data(), records.size());
    return;
  }
  if (!Finish()) return;
  if (!sink_(records)) failed_ = true;
  written_ += records.size();
}

void Ov2Writer::PlaceAhead(Place place, PassOverSink passOver) {
  place_ = std::move(place);
  passOver_ = std::move(passOver);
}

Ov2Writer::Sink Ov2Writer::Ahead(std::uint64_t distance) const {
  return [place = place_, at = BytesWritten() + distance](std::string_view bytes) mutable {
    const bool placed = place(at, bytes);
    at += bytes.size();
    return placed;
  };
}

bool Ov2Writer::PassOver(std::uint64_t bytes) {
  if (!Finish()) return false;
  if (!passOver_(bytes)) failed_ = true;
  written_ += bytes;
  return !failed_;
}

bool Ov2Writer::Finish() {
  if (failed_) return false;
  if (used_ > 0) {
    if (!sink_(std::string_view(buffer_.data(), used_))) failed_ = true;
    written_ += used_;
    used_ = 0;
  }
  return !failed_;
}

}  // namespace qh
