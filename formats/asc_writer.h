// The lines of the ".asc" point file: one line per pin, longitude and latitude in F10.5
// columns and the pin's text in double quotes, CR LF. Written through CompleteFile, so
// a failed conversion never leaves a partial file nor destroys the one written before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/pushpin_reader.h"

namespace qh {

enum class NotesMode { Ignore, Append };

// Where a line's text starts: after two ten-column coordinates, their commas and the
// opening double quote.
inline constexpr std::size_t kAscTextColumn = 23;

// How a pin's UTF-16 text becomes the bytes of its line. Either way a CR, LF or NUL in
// the text becomes a blank, so that a line break in a note never splits the pin's line
// and a NUL never cuts its name short.
enum class TextEncoding {
  // One byte per character: a unit up to U+00FF is its own byte; any other character
  // its Windows-1252 byte where that code page has one, else "?". A surrogate pair is
  // one character, a lone surrogate one "?". What older devices show.
  kWindows1252,
  // UTF-8; a lone surrogate becomes U+FFFD. What newer devices show.
  kUtf8,
};

// The pin's text by the notes mode.
std::string PinText(const PinRecord& pin, NotesMode mode,
                    TextEncoding encoding = TextEncoding::kWindows1252);
// The whole line, CR LF included; `text` is written as it stands.
std::string AscLine(double longitude, double latitude, std::string_view text);
// Appends AscLine(longitude, latitude, text) to `out`.
void AppendAscLineOf(std::string& out, double longitude, double latitude, std::string_view text);
// Appends AscLine(longitude, latitude, PinText(pin, mode, encoding)) to `out` without
// building the parts as strings of their own: with a reused `out`, a line costs no
// allocation. True when a character of the text could not be written as it is and
// stands as "?" (Windows-1252) or U+FFFD (UTF-8).
bool AppendAscLine(std::string& out, double longitude, double latitude, const PinRecord& pin,
                   NotesMode mode, TextEncoding encoding = TextEncoding::kWindows1252);
// What the ".asc" reader will make of the coordinate columns of a line AscLine writes,
// known while the line is made: the OV2 units the digits stand for, and whether each
// column holds a number at all rather than asterisks. With it the overlay takes the
// line's point without reading the line again (see JudgeWrittenLine).
struct AscColumns {
  std::int32_t longitudeUnits = 0, latitudeUnits = 0;
  bool longitudeFits = false, latitudeFits = false;
  // Set by PutAscLine: a character of the text could not be written as it is (as
  // AppendAscLine returns it).
  bool textReplaced = false;
};
// Appends AscLine(longitude, latitude, text) to `out`, and says in `columns` what the
// ".asc" reader will make of its coordinates.
void AppendAscLineOf(std::string& out, double longitude, double latitude, std::string_view text,
                     AscColumns& columns);
// The most bytes the line of one pin takes: three texts of at most 127 units each,
// at most three bytes a unit (a pair of two takes four).
inline constexpr std::size_t kAscLineMost = kAscTextColumn + std::size_t{3} * 127 * 3 + 3;
// Writes the line of a pin as the file holds it (PushpinReader::NextPinView) at `at`,
// where kAscLineMost bytes are free, and returns its end: the bytes AppendAscLine
// appends for the same pin, its texts encoded straight from the file's bytes. The text
// is [at + kAscTextColumn, end - 3). `columns` is what the reader will make of the
// line's coordinates.
char* PutAscLine(char* at, double longitude, double latitude, const PinView& pin,
                 NotesMode mode, TextEncoding encoding, AscColumns& columns);
// PutAscLine in two parts, for two threads: all of the line but its latitude column
// (the ten bytes after the first comma), and then that column.
char* PutAscLineButLatitude(char* at, double longitude, const PinView& pin, NotesMode mode,
                            TextEncoding encoding, AscColumns& columns);
void PutAscLatitude(char* line, double latitude, AscColumns& columns);
// The offset widened to double, the sum rounded to double.
inline double AddOffset(float offset, double value) { return static_cast<double>(offset) + value; }

}  // namespace qh
