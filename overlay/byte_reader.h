// Little-endian fields off a byte range, with a sticky failure: a read past the end
// fails, returns zero, and every later read fails and returns zero too. A record loop
// reads all its fields and checks Failed() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qh {

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  std::uint8_t U8() {
    if (!Has(1)) return 0;
    return static_cast<std::uint8_t>(bytes_[offset_++]);
  }
  std::uint32_t U32() {
    if (!Has(4)) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value |= std::uint32_t{static_cast<unsigned char>(bytes_[offset_ + i])} << (8 * i);
    }
    offset_ += 4;
    return value;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  // Moves to `offset`; one beyond the end fails.
  void Seek(std::size_t offset) {
    if (failed_ || offset > bytes_.size()) {
      failed_ = true;
      return;
    }
    offset_ = offset;
  }

  bool Failed() const { return failed_; }
  std::size_t Offset() const { return offset_; }
  std::size_t Left() const { return bytes_.size() - offset_; }

 private:
  bool Has(std::size_t count) {
    if (!failed_ && bytes_.size() - offset_ >= count) return true;
    failed_ = true;
    return false;
  }

  std::string_view bytes_;
  std::size_t offset_ = 0;
  bool failed_ = false;
};

}  // namespace qh
