#include "tools/helpc/code_page.h"

#include <array>
#include <cstdint>

namespace qh::help {
namespace {

constexpr char32_t kBroken = 0xFFFD;

// The characters of bytes 0x80 to 0x9F; 0 where the code page leaves a byte unused.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<std::uint8_t> ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == c) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

// Decodes one character at `at` and moves past it; kBroken for a malformed sequence,
// an overlong form or a surrogate.
char32_t NextCharacter(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<std::uint8_t>(text[at++]);
  if (lead < 0x80) return lead;
  std::size_t more = 0;
  char32_t c = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    more = 1, c = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2, c = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3, c = lead & 0x07, least = 0x10000;
  } else {
    return kBroken;
  }
  for (std::size_t i = 0; i < more; ++i) {
    if (at >= text.size()) return kBroken;
    const auto next = static_cast<std::uint8_t>(text[at]);
    if ((next & 0xC0) != 0x80) return kBroken;
    c = (c << 6) | (next & 0x3F);
    ++at;
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kBroken;
  return c;
}

}  // namespace

std::optional<std::string> ToWindows1252(std::string_view utf8, char32_t* missing) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = NextCharacter(utf8, at);
    const std::optional<std::uint8_t> byte = c == kBroken ? std::nullopt : ByteOf(c);
    if (!byte) {
      if (missing != nullptr) *missing = c;
      return std::nullopt;
    }
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

}  // namespace qh::help
