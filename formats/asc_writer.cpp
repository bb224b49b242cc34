#include "formats/asc_writer.h"

#include <array>
#include <cstring>

#include "formats/text_encoding.h"
#include "numeric/edit_descriptors.h"

namespace qh {

namespace {

// The byte of a unit up to U+00FF: itself, except that a line break becomes a blank,
// and so does a NUL, which would end the point's name in the overlay.
constexpr std::array<char, 256> kTextByte = [] {
  std::array<char, 256> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
  bytes['\r'] = bytes['\n'] = bytes[0] = ' ';
  return bytes;
}();

constexpr bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Both encoders write through a pointer into room made beforehand, then cut the string
// to what they wrote: no check of the capacity per byte, and no allocation once `out`
// has grown to its longest line.
bool AppendWindows1252(std::string& out, std::u16string_view text) {
  const std::size_t start = out.size();
  out.resize(start + text.size());  // never more bytes than units
  char* next = out.data() + start;
  bool replaced = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x100) {
      *next++ = kTextByte[unit];
    } else if (IsHighSurrogate(unit)) {
      // A character beyond U+FFFF is not in Windows-1252: one "?" for the pair.
      if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
      *next++ = '?';
      replaced = true;
    } else {
      *next = Windows1252Byte(unit);  // a lone low surrogate gives "?" too
      replaced |= *next++ == '?';
    }
  }
  out.resize(static_cast<std::size_t>(next - out.data()));
  return replaced;
}

bool AppendUtf8(std::string& out, std::u16string_view text) {
  const std::size_t start = out.size();
  out.resize(start + 3 * text.size());  // at most three bytes a unit (four for a pair)
  auto* next = reinterpret_cast<unsigned char*>(out.data() + start);
  bool replaced = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      *next++ = static_cast<unsigned char>(kTextByte[c]);
      continue;
    }
    if (c < 0x800) {
      *next++ = static_cast<unsigned char>(0xC0 | (c >> 6));
      *next++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
      continue;
    }
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      *next++ = static_cast<unsigned char>(0xF0 | (c >> 18));
      *next++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
      *next++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      *next++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
      continue;
    }
    if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      c = 0xFFFD;
      replaced = true;
    }
    *next++ = static_cast<unsigned char>(0xE0 | (c >> 12));
    *next++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    *next++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  }
  out.resize(static_cast<std::size_t>(reinterpret_cast<char*>(next) - out.data()));
  return replaced;
}

// True when a character of the text had to be replaced ("?" or U+FFFD).
bool AppendText(std::string& out, std::u16string_view text, TextEncoding encoding) {
  return encoding == TextEncoding::kUtf8 ? AppendUtf8(out, text) : AppendWindows1252(out, text);
}

bool AppendPinText(std::string& out, const PinRecord& pin, NotesMode mode, TextEncoding encoding) {
  bool replaced = AppendText(out, pin.name, encoding);
  if (mode == NotesMode::Append) {
    replaced |= AppendText(out, pin.note1, encoding);
    replaced |= AppendText(out, pin.note2, encoding);
  }
  return replaced;
}

// The line up to and including its opening double quote, put together on the stack
// and appended at once.
void AppendLineStart(std::string& out, double longitude, double latitude) {
  char start[kAscTextColumn];
  // Ten columns each: short strings, no allocation.
  const std::string lon = EditF(longitude, 10, 5), lat = EditF(latitude, 10, 5);
  std::memcpy(start, lon.data(), 10);
  start[10] = ',';
  std::memcpy(start + 11, lat.data(), 10);
  start[21] = ',';
  start[22] = '"';
  out.append(start, sizeof start);
}

}  // namespace

std::string PinText(const PinRecord& pin, NotesMode mode, TextEncoding encoding) {
  std::string text;
  AppendPinText(text, pin, mode, encoding);
  return text;
}

std::string AscLine(double longitude, double latitude, std::string_view text) {
  std::string line;
  AppendAscLineOf(line, longitude, latitude, text);
  return line;
}

void AppendAscLineOf(std::string& out, double longitude, double latitude, std::string_view text) {
  AppendLineStart(out, longitude, latitude);
  out += text;
  out += "\"\r\n";
}

bool AppendAscLine(std::string& out, double longitude, double latitude, const PinRecord& pin,
                   NotesMode mode, TextEncoding encoding) {
  AppendLineStart(out, longitude, latitude);
  const bool replaced = AppendPinText(out, pin, mode, encoding);
  out += "\"\r\n";
  return replaced;
}

double AddOffset(float offset, double value) { return static_cast<double>(offset) + value; }

}  // namespace qh
