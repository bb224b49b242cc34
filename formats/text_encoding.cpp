#include "formats/text_encoding.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace qh {
namespace {

// The characters of Windows-1252 from 0x80 to 0x9F, where it differs from Latin-1;
// zero where the code page assigns nothing.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

constexpr char32_t kReplacement = 0xFFFD;

// Appends the run of ASCII from `at`, the same bytes in UTF-8 and in Windows-1252, at
// once (most names are one whole run), and returns where it ends.
std::size_t AppendAsciiRun(std::string& out, std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
  out.append(text.data() + at, end - at);
  return end;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

char Windows1252Byte(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character < 0x100)) {
    return static_cast<char>(character);
  }
  // The code page's characters beyond Latin-1 lie between U+0152 and U+2122.
  if (character < 0x152 || character > 0x2122) return '?';
  for (std::size_t i = 0; i < std::size(kWindows1252High); ++i) {
    if (kWindows1252High[i] != 0 && kWindows1252High[i] == character) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

char32_t Windows1252Character(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char16_t character = kWindows1252High[byte - 0x80];
  return character == 0 ? kReplacement : character;
}

void AppendUtf8Character(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf8FromWindows1252(std::string& out, std::string_view text) {
  for (std::size_t at = AppendAsciiRun(out, text, 0); at < text.size();
       at = AppendAsciiRun(out, text, at + 1)) {
    AppendUtf8Character(out, Windows1252Character(static_cast<unsigned char>(text[at])));
  }
}

bool AppendUtf8FromUtf16(std::string& out, std::string_view bytes, bool bigEndian) {
  const auto unit = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  const std::size_t units = bytes.size() / 2;
  bool replaced = bytes.size() % 2 != 0;
  for (std::size_t i = 0; i < units; ++i) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(++i) - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
      replaced = true;
    }
    AppendUtf8Character(out, c);
  }
  if (bytes.size() % 2 != 0) AppendUtf8Character(out, kReplacement);  // half a unit at the end
  return replaced;
}

bool AppendUtf8FromMarkedUtf16(std::string& out, std::string_view bytes) {
  const std::string_view mark = bytes.substr(0, 2);
  if (mark != "\xFF\xFE" && mark != "\xFE\xFF") return false;
  AppendUtf8FromUtf16(out, bytes.substr(2), mark == "\xFE\xFF");
  return true;
}

char32_t NextUtf8Character(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  std::size_t more = 0;
  char32_t c = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1, c = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2, c = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3, c = lead & 0x07u, least = 0x10000;
  } else {
    return kReplacement;
  }
  if (text.size() - at < more) return kReplacement;
  for (std::size_t i = 0; i < more; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(next)) return kReplacement;
    c = (c << 6) | (next & 0x3Fu);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  at += more;
  return c;
}

bool IsUtf8(std::string_view text) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t at = 0;
  while (at < text.size()) {
    // Plain ASCII, which most of a file is, eight bytes at a time.
    std::uint64_t eight = 0;
    if (text.size() - at >= sizeof eight) {
      std::memcpy(&eight, text.data() + at, sizeof eight);
      if ((eight & kHighBits) == 0) {
        at += sizeof eight;
        continue;
      }
    }
    const std::size_t start = at;
    if (NextUtf8Character(text, at) == kReplacement && text.substr(start, 3) != "\xEF\xBF\xBD") {
      return false;
    }
  }
  return true;
}

bool AppendWindows1252FromUtf8(std::string& out, std::string_view text) {
  bool replaced = false;
  for (std::size_t at = AppendAsciiRun(out, text, 0); at < text.size();
       at = AppendAsciiRun(out, text, at)) {
    const char byte = Windows1252Byte(NextUtf8Character(text, at));  // moves `at` on
    replaced |= byte == '?';
    out += byte;
  }
  return replaced;
}

bool AppendCheckedUtf8(std::string& out, std::string_view text) {
  bool replaced = false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t start = at;
    const char32_t c = NextUtf8Character(text, at);
    if (c == kReplacement && text.substr(start, 3) != "\xEF\xBF\xBD") {
      replaced = true;
      AppendUtf8Character(out, c);
    } else {
      out.append(text.substr(start, at - start));
    }
  }
  return replaced;
}

}  // namespace qh
