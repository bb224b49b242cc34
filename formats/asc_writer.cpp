#include "formats/asc_writer.h"

#include <array>
#include <bit>
#include <cstdint>
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

// A PinRecord's text as the encoders take it; the file's own bytes (Utf16Le) are the
// other kind. Bytes() serves the plain-ASCII shortcut, which runs only where the
// machine is little-endian.
struct Utf16Units {
  std::u16string_view text;

  std::size_t Size() const { return text.size(); }
  char16_t operator[](std::size_t i) const { return text[i]; }
  const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(text.data()); }
};

// Copies the plain-ASCII units (U+0020 to U+007F, one byte each in both encodings) from
// `at` on, four at a time, and returns where it stopped: at the first group of four
// that holds another unit, or fewer than four units before the end.
template <class Units>
std::size_t PutAsciiRun(char*& next, const Units& text, std::size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kHigh = 0xFF80FF80FF80FF80u;  // any unit beyond U+007F
    constexpr std::uint64_t kLift = 0x0060006000600060u;  // lifts U+0020 and up to bit 7
    constexpr std::uint64_t kBit7 = 0x0080008000800080u;
    const unsigned char* bytes = text.Bytes();
    for (; at + 4 <= text.Size(); at += 4) {
      std::uint64_t units;
      std::memcpy(&units, bytes + 2 * at, sizeof units);
      if ((units & kHigh) != 0 || ((units + kLift) & kBit7) != kBit7) break;
      const auto packed = static_cast<std::uint32_t>(
          (units & 0xFFu) | ((units >> 8) & 0xFF00u) | ((units >> 16) & 0xFF0000u) |
          ((units >> 24) & 0xFF000000u));
      std::memcpy(next, &packed, sizeof packed);
      next += 4;
    }
  }
  return at;
}

// Both encoders write through a pointer into room made beforehand (one byte a unit for
// Windows-1252, three for UTF-8) and return where they stopped; `replaced` is set when
// a character could not be written as it is.
template <class Units>
char* PutWindows1252(char* next, const Units& text, bool& replaced) {
  const std::size_t size = text.Size();
  for (std::size_t i = PutAsciiRun(next, text, 0); i < size; i = PutAsciiRun(next, text, i + 1)) {
    const char16_t unit = text[i];
    if (unit < 0x100) {
      *next++ = kTextByte[unit];
    } else if (IsHighSurrogate(unit)) {
      // A character beyond U+FFFF is not in Windows-1252: one "?" for the pair.
      if (i + 1 < size && IsLowSurrogate(text[i + 1])) ++i;
      *next++ = '?';
      replaced = true;
    } else {
      *next = Windows1252Byte(unit);  // a lone low surrogate gives "?" too
      replaced |= *next++ == '?';
    }
  }
  return next;
}

template <class Units>
char* PutUtf8(char* next, const Units& text, bool& replaced) {
  const std::size_t size = text.Size();
  for (std::size_t i = PutAsciiRun(next, text, 0); i < size; i = PutAsciiRun(next, text, i + 1)) {
    char32_t c = text[i];
    if (c < 0x80) {
      *next++ = kTextByte[c];
      continue;
    }
    if (c < 0x800) {
      *next++ = static_cast<char>(0xC0 | (c >> 6));
      *next++ = static_cast<char>(0x80 | (c & 0x3F));
      continue;
    }
    if (IsHighSurrogate(text[i]) && i + 1 < size && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
      *next++ = static_cast<char>(0xF0 | (c >> 18));
      *next++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *next++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *next++ = static_cast<char>(0x80 | (c & 0x3F));
      continue;
    }
    if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      c = 0xFFFD;
      replaced = true;
    }
    *next++ = static_cast<char>(0xE0 | (c >> 12));
    *next++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *next++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return next;
}

template <class Units>
char* PutText(char* next, const Units& text, TextEncoding encoding, bool& replaced) {
  return encoding == TextEncoding::kUtf8 ? PutUtf8(next, text, replaced)
                                         : PutWindows1252(next, text, replaced);
}

// The pin's text by the notes mode.
template <class Units>
char* PutPinText(char* next, const Units& name, const Units& note1, const Units& note2,
                 NotesMode mode, TextEncoding encoding, bool& replaced) {
  next = PutText(next, name, encoding, replaced);
  if (mode == NotesMode::Append) {
    next = PutText(next, note1, encoding, replaced);
    next = PutText(next, note2, encoding, replaced);
  }
  return next;
}

// The most bytes the text of these units takes.
std::size_t TextRoom(std::size_t units, TextEncoding encoding) {
  return encoding == TextEncoding::kUtf8 ? 3 * units : units;
}

// The line up to and including its opening double quote: two F10.5 columns, each
// followed by a comma, then the quote.
char* PutLineStart(char* at, double longitude, double latitude, AscColumns& columns) {
  columns.longitudeFits = PutF10_5(longitude, at, columns.longitudeUnits);
  at[10] = ',';
  columns.latitudeFits = PutF10_5(latitude, at + 11, columns.latitudeUnits);
  at[21] = ',';
  at[22] = '"';
  return at + kAscTextColumn;
}

char* PutLineEnd(char* at) {
  std::memcpy(at, "\"\r\n", 3);
  return at + 3;
}

// Appends `room` bytes to `out` for `put` to fill, then cuts `out` to what it wrote.
template <class Put>
void AppendThrough(std::string& out, std::size_t room, Put put) {
  const std::size_t start = out.size();
  out.resize(start + room);
  char* const end = put(out.data() + start);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

std::string PinText(const PinRecord& pin, NotesMode mode, TextEncoding encoding) {
  std::string text;
  const std::size_t units = pin.name.size() + pin.note1.size() + pin.note2.size();
  bool replaced = false;
  AppendThrough(text, TextRoom(units, encoding), [&](char* at) {
    return PutPinText(at, Utf16Units{pin.name}, Utf16Units{pin.note1}, Utf16Units{pin.note2},
                      mode, encoding, replaced);
  });
  return text;
}

std::string AscLine(double longitude, double latitude, std::string_view text) {
  std::string line;
  AppendAscLineOf(line, longitude, latitude, text);
  return line;
}

void AppendAscLineOf(std::string& out, double longitude, double latitude, std::string_view text) {
  AscColumns columns;
  AppendAscLineOf(out, longitude, latitude, text, columns);
}

void AppendAscLineOf(std::string& out, double longitude, double latitude, std::string_view text,
                     AscColumns& columns) {
  AppendThrough(out, kAscTextColumn + text.size() + 3, [&](char* at) {
    at = PutLineStart(at, longitude, latitude, columns);
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    return PutLineEnd(at + text.size());
  });
}

bool AppendAscLine(std::string& out, double longitude, double latitude, const PinRecord& pin,
                   NotesMode mode, TextEncoding encoding) {
  const std::size_t units = pin.name.size() + pin.note1.size() + pin.note2.size();
  bool replaced = false;
  AppendThrough(out, kAscTextColumn + TextRoom(units, encoding) + 3, [&](char* at) {
    AscColumns columns;
    at = PutLineStart(at, longitude, latitude, columns);
    at = PutPinText(at, Utf16Units{pin.name}, Utf16Units{pin.note1}, Utf16Units{pin.note2},
                    mode, encoding, replaced);
    return PutLineEnd(at);
  });
  return replaced;
}

char* PutAscLine(char* at, double longitude, double latitude, const PinView& pin,
                 NotesMode mode, TextEncoding encoding, AscColumns& columns) {
  char* const end = PutAscLineButLatitude(at, longitude, pin, mode, encoding, columns);
  PutAscLatitude(at, latitude, columns);
  return end;
}

char* PutAscLineButLatitude(char* at, double longitude, const PinView& pin, NotesMode mode,
                            TextEncoding encoding, AscColumns& columns) {
  bool replaced = false;
  columns.longitudeFits = PutF10_5(longitude, at, columns.longitudeUnits);
  at[10] = ',';
  at[21] = ',';
  at[22] = '"';
  at = PutPinText(at + kAscTextColumn, pin.name, pin.note1, pin.note2, mode, encoding, replaced);
  columns.textReplaced = replaced;
  return PutLineEnd(at);
}

void PutAscLatitude(char* line, double latitude, AscColumns& columns) {
  columns.latitudeFits = PutF10_5(latitude, line + 11, columns.latitudeUnits);
}

}  // namespace qh
