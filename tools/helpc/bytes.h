// Bytes as a help file stores them: little-endian integers, zero-terminated strings,
// and the help format's compressed integers, which spend one byte less on small values
// by keeping a flag in the lowest bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace qh::help {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value);
  void U32(std::uint32_t value);
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void Raw(std::string_view text);
  void Raw(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
  // The text and its terminating zero.
  void String(std::string_view text);
  // `text` padded with zeros (or cut) to exactly `width` bytes.
  void Padded(std::string_view text, std::size_t width);
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  // Compressed integers: one byte (or two for a long) when the value is small.
  // Unsigned short: value * 2 in one byte, else value * 2 + 1 in two; below 0x8000.
  void CompressedU16(std::uint16_t value);
  // Signed short, biased by 0x40 (one byte) or 0x4000 (two); -0x4000 to 0x3FFF.
  void CompressedI16(std::int16_t value);
  // Signed long, biased by 0x4000 (two bytes) or 0x40000000 (four).
  void CompressedI32(std::int32_t value);

  // Overwrites four bytes written earlier, for sizes known only at the end.
  void PatchU32(std::size_t at, std::uint32_t value);

  std::size_t Size() const { return bytes_.size(); }
  const Bytes& View() const { return bytes_; }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

}  // namespace qh::help
