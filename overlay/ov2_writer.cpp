#include "overlay/ov2_writer.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace qh {

namespace {

void AppendLe32(std::string& out, std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                         static_cast<char>((value >> 16) & 0xFF),
                         static_cast<char>((value >> 24) & 0xFF)};
  out.append(bytes, 4);
}

void AppendLe32(std::string& out, std::int32_t value) {
  AppendLe32(out, static_cast<std::uint32_t>(value));
}

}  // namespace

bool ToOv2Units(double degrees, std::int32_t& units) {
  if (!std::isfinite(degrees)) return false;
  const double scaled = std::round(degrees * 100000.0);
  if (scaled < -2147483648.0 || scaled > 2147483647.0) return false;
  units = static_cast<std::int32_t>(scaled);
  return true;
}

void AppendOv2Poi(std::string& out, std::int32_t longitude, std::int32_t latitude,
                  std::string_view name) {
  out.push_back(static_cast<char>(kOv2PoiType));
  AppendLe32(out, static_cast<std::uint32_t>(Ov2PoiSize(name.size())));
  AppendLe32(out, longitude);
  AppendLe32(out, latitude);
  out.append(name);
  out.push_back('\0');
}

void AppendOv2Skipper(std::string& out, std::uint32_t block_length, const Ov2Box& box) {
  out.push_back(static_cast<char>(kOv2SkipperType));
  AppendLe32(out, block_length);
  // East, north, west, south: the order devices are reported to accept.
  AppendLe32(out, box.east);
  AppendLe32(out, box.north);
  AppendLe32(out, box.west);
  AppendLe32(out, box.south);
}

Ov2Writer::Ov2Writer(Sink sink, std::size_t buffer_size)
    : sink_(std::move(sink)), limit_(buffer_size) {
  buffer_.reserve(buffer_size + 256);
}

void Ov2Writer::FlushIfFull() {
  if (buffer_.size() >= limit_) Finish();
}

namespace {

char* PutLe32(char* at, std::uint32_t value) {
  at[0] = static_cast<char>(value & 0xFF);
  at[1] = static_cast<char>((value >> 8) & 0xFF);
  at[2] = static_cast<char>((value >> 16) & 0xFF);
  at[3] = static_cast<char>((value >> 24) & 0xFF);
  return at + 4;
}

}  // namespace

void Ov2Writer::Poi(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  if (failed_) return;
  // One resize and direct stores: this runs once a point.
  const std::size_t size = Ov2PoiSize(name.size());
  const std::size_t at = buffer_.size();
  buffer_.resize(at + size);
  char* p = buffer_.data() + at;
  *p++ = static_cast<char>(kOv2PoiType);
  p = PutLe32(p, static_cast<std::uint32_t>(size));
  p = PutLe32(p, static_cast<std::uint32_t>(longitude));
  p = PutLe32(p, static_cast<std::uint32_t>(latitude));
  if (!name.empty()) std::memcpy(p, name.data(), name.size());
  p[name.size()] = '\0';
  FlushIfFull();
}

void Ov2Writer::Skipper(std::uint32_t block_length, const Ov2Box& box) {
  if (failed_) return;
  AppendOv2Skipper(buffer_, block_length, box);
  FlushIfFull();
}

bool Ov2Writer::Finish() {
  if (failed_) return false;
  if (!buffer_.empty()) {
    if (!sink_(buffer_)) failed_ = true;
    written_ += buffer_.size();
    buffer_.clear();
  }
  return !failed_;
}

}  // namespace qh
