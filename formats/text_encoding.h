// The two text encodings of overlays: Windows-1252, one byte a character, for older
// devices; UTF-8 for newer ones. GPX and CSV files are UTF-8; a CSV file may also be
// Windows-1252, or UTF-16 as a spreadsheet saves "Unicode text".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qh {

// UTF-16 text as a file stores it: `size` code units of two bytes each, low byte first,
// read in place.
struct Utf16Le {
  const unsigned char* bytes = nullptr;
  std::size_t size = 0;

  std::size_t Size() const { return size; }
  char16_t operator[](std::size_t i) const {
    return static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  const unsigned char* Bytes() const { return bytes; }
};

// The Windows-1252 byte of a character, "?" for one the code page lacks.
char Windows1252Byte(char32_t character);
// The character of a Windows-1252 byte; U+FFFD for the five bytes it leaves unassigned.
char32_t Windows1252Character(unsigned char byte);

// Appends `character` in UTF-8.
void AppendUtf8Character(std::string& out, char32_t character);

// Appends Windows-1252 text as UTF-8.
void AppendUtf8FromWindows1252(std::string& out, std::string_view text);
// Appends UTF-16 text, two bytes a unit, low byte first unless `bigEndian`, as UTF-8:
// each lone surrogate, and a last odd byte, as U+FFFD. True when anything was replaced.
bool AppendUtf8FromUtf16(std::string& out, std::string_view bytes, bool bigEndian);
// When `bytes` start with a UTF-16 byte order mark (either byte order), appends the text
// after it as UTF-8 (as AppendUtf8FromUtf16) and returns true; else appends nothing.
bool AppendUtf8FromMarkedUtf16(std::string& out, std::string_view bytes);
// Appends UTF-8 text as Windows-1252: a character beyond the code page, and each
// broken UTF-8 sequence, becomes "?". True when anything was replaced.
bool AppendWindows1252FromUtf8(std::string& out, std::string_view text);
// Appends UTF-8 text as it stands, each broken sequence as U+FFFD. True when
// anything was replaced.
bool AppendCheckedUtf8(std::string& out, std::string_view text);

// True when `text` is UTF-8 throughout: no broken or overlong sequence, surrogate or
// value beyond U+10FFFF.
bool IsUtf8(std::string_view text);

// The next character of UTF-8 `text` from `at`, which moves past it; U+FFFD (one byte
// taken) for a broken or overlong sequence, a surrogate or a value beyond U+10FFFF.
char32_t NextUtf8Character(std::string_view text, std::size_t& at);

}  // namespace qh
