#include "tools/helpc/bytes.h"

#include <stdexcept>

namespace qh::help {

void ByteWriter::U16(std::uint16_t value) {
  U8(static_cast<std::uint8_t>(value & 0xFF));
  U8(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::U32(std::uint32_t value) {
  U16(static_cast<std::uint16_t>(value & 0xFFFF));
  U16(static_cast<std::uint16_t>(value >> 16));
}

void ByteWriter::Raw(std::string_view text) {
  for (const char c : text) U8(static_cast<std::uint8_t>(c));
}

void ByteWriter::String(std::string_view text) {
  Raw(text);
  U8(0);
}

void ByteWriter::Padded(std::string_view text, std::size_t width) {
  const std::size_t kept = text.size() < width ? text.size() : width;
  Raw(text.substr(0, kept));
  Zeros(width - kept);
}

void ByteWriter::CompressedU16(std::uint16_t value) {
  if (value >= 0x8000) throw std::out_of_range("compressed unsigned short beyond 0x7FFF");
  if (value < 0x80) {
    U8(static_cast<std::uint8_t>(value * 2));
  } else {
    U16(static_cast<std::uint16_t>(value * 2 + 1));
  }
}

void ByteWriter::CompressedI16(std::int16_t value) {
  if (value < -0x4000 || value > 0x3FFF) {
    throw std::out_of_range("compressed signed short beyond -0x4000..0x3FFF");
  }
  if (value >= -0x40 && value < 0x40) {
    U8(static_cast<std::uint8_t>((value + 0x40) * 2));
  } else {
    U16(static_cast<std::uint16_t>((value + 0x4000) * 2 + 1));
  }
}

void ByteWriter::CompressedI32(std::int32_t value) {
  if (value < -0x40000000 || value > 0x3FFFFFFF) {
    throw std::out_of_range("compressed signed long beyond -0x40000000..0x3FFFFFFF");
  }
  if (value >= -0x4000 && value < 0x4000) {
    U16(static_cast<std::uint16_t>((value + 0x4000) * 2));
  } else {
    U32(static_cast<std::uint32_t>(value + 0x40000000) * 2 + 1);
  }
}

void ByteWriter::PatchU32(std::size_t at, std::uint32_t value) {
  if (at + 4 > bytes_.size()) throw std::out_of_range("patch beyond the bytes written");
  for (std::size_t i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace qh::help
