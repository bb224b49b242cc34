#include "converter/pushpin_reader.h"

#include <bit>
#include <cstring>

#include "converter/io_error.h"

namespace qh {

PushpinReader::~PushpinReader() { Close(); }

bool PushpinReader::Open(std::string_view path) {
  Close();
  path_.assign(path);
  error_.clear();
  failed_ = false;
  offset_ = 0;
  position_ = filled_ = 0;
  file_ = std::fopen(path_.c_str(), "rb");
  if (file_ == nullptr) return Fail(kFileNotFound);
  return true;
}

void PushpinReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  position_ = filled_ = 0;
}

bool PushpinReader::Fail(std::string_view condition) {
  if (!failed_) error_ = IoErrorMessage(condition, kPushpinUnit, path_);
  failed_ = true;
  return false;
}

bool PushpinReader::Read(void* target, std::size_t count) {
  auto* out = static_cast<unsigned char*>(target);
  if (failed_) {
    std::memset(out, 0, count);
    return false;
  }
  if (file_ == nullptr) {
    std::memset(out, 0, count);
    return Fail(kFileNotFound);
  }
  while (count > 0) {
    if (position_ == filled_) {
      filled_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
      position_ = 0;
      if (filled_ == 0) {
        std::memset(out, 0, count);
        return Fail(std::ferror(file_) ? kReadFailed : kEndOfFile);
      }
    }
    const std::size_t n = std::min(count, filled_ - position_);
    std::memcpy(out, buffer_.data() + position_, n);
    out += n;
    count -= n;
    position_ += n;
    offset_ += n;
  }
  return true;
}

bool PushpinReader::ReadByte(std::uint8_t& value) { return Read(&value, 1); }

bool PushpinReader::ReadInt32(std::int32_t& value) {
  unsigned char b[4];
  const bool ok = Read(b, sizeof b);
  const std::uint32_t u = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                          std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
  value = static_cast<std::int32_t>(u);
  return ok;
}

bool PushpinReader::ReadDouble(double& value) {
  unsigned char b[8];
  const bool ok = Read(b, sizeof b);
  std::uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = u << 8 | b[i];
  value = std::bit_cast<double>(u);
  return ok;
}

bool PushpinReader::ReadText(std::int8_t count, std::u16string& text) {
  text.clear();
  if (count <= 0) return !failed_;  // zero or negative: an empty text, no bytes
  unsigned char b[2 * 127];
  const auto bytes = static_cast<std::size_t>(count) * 2;
  if (!Read(b, bytes)) return false;
  text.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(b[2 * i] | b[2 * i + 1] << 8);
  return true;
}

bool PushpinReader::ReadHeader(std::int32_t& npins) {
  unsigned char skipped[16];
  npins = 0;
  Read(skipped, 12);
  ReadInt32(npins);
  Read(skipped, 16);
  if (failed_) npins = 0;
  return !failed_;
}

bool PushpinReader::NextPin(PinRecord& pin) {
  pin = PinRecord{};
  ReadInt32(pin.pin_id);
  ReadByte(pin.flag);
  double latitude = 0, longitude = 0;
  ReadDouble(latitude);
  ReadDouble(longitude);
  // Each product is rounded to double on its own (SSE2 arithmetic in the 32-bit build).
  pin.latitude = latitude * kRadiansToDegrees;
  pin.longitude = longitude * kRadiansToDegrees;
  if (pin.flag == 2) pin.longitude = -pin.longitude;
  ReadInt32(pin.layout);
  ReadInt32(pin.symbol);

  std::uint8_t c1 = 0, c2 = 0, c3 = 0;
  ReadByte(c1);
  ReadText(static_cast<std::int8_t>(c1), pin.name);
  ReadByte(c2);
  ReadText(static_cast<std::int8_t>(c2), pin.note1);
  ReadByte(c3);
  // A negative note-1 count ends the record right after this byte.
  if (static_cast<std::int8_t>(c2) >= 0) ReadText(static_cast<std::int8_t>(c3), pin.note2);
  if (failed_) pin = PinRecord{};
  return !failed_;
}

}  // namespace qh
