// Reader of ".asc" point files: one point a line, `longitude, latitude, "text"`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_calls.h"
#include "files/io_error.h"

namespace qh {

struct AscColumns;  // formats/asc_writer.h

struct AscPoint {
  double longitude = 0, latitude = 0;
  std::int32_t longitudeUnits = 0, latitudeUnits = 0;  // OV2 units
  std::string_view text;  // the bytes between the first and the last double quote
  bool nulInText = false;  // the overlay writes each NUL of the text as a blank
};

enum class AscLineKind { kPoint, kSkip, kBad };

// Reads one line (without its line end; a trailing CR is allowed). Blank lines and
// lines whose first non-blank character is ";" are kSkip. For kBad, `reason` says
// what is wrong: a coordinate that is not a number, or that Quillhaven wrote as
// asterisks because it did not fit its column; a longitude outside -180..180 or a
// latitude outside -90..90; a text that is not in double quotes. A NUL byte in the text
// is kept (the overlay writes it as a blank) and flagged in `nulInText`. The text view
// points into `line`.
AscLineKind ParseAscLine(std::string_view line, AscPoint& point, std::string_view& reason);


// Where the first line of `text` ends: LF, CR LF and a lone CR each end a line. The
// line is text[0, end); the next one starts at `next` (both text.size() when no line
// end is found).
void FindAscLineEnd(std::string_view text, std::size_t& end, std::size_t& next);

// A line before the first point that holds neither a comma nor a double quote is a
// title (GPSBabel writes four) and is passed over.
bool IsAscTitle(std::string_view line);

// The point of a line in the writer's own fixed columns (AscLine, CR LF included), read
// without the general parser: the same point ParseAscLine gives, much faster. False for
// a line it does not cover, which the general parser then takes: a coordinate in
// asterisks or out of range, a text with a line end or a NUL.
bool ReadFixedColumnLine(std::string_view line, AscPoint& point);
// The same for a line without its line end, as AscReader cuts it: the writer's shape
// up to its closing double quote. AscReader reads every line so first.
bool ReadFixedColumnBody(std::string_view line, AscPoint& point);


// ParseAscLine's judgement of a line AscLine wrote with these columns, without reading
// the line: kPoint, or kBad with the reason ParseAscLine gives for it (a column in
// asterisks, or a coordinate beyond the Earth). Such a line's text is always in double
// quotes, holds no line end and no NUL, and the line is never a title.
AscLineKind JudgeWrittenLine(const AscColumns& columns, std::string_view& reason);

// Why a line holding only Ctrl+Z is a bad line: DOS editors put that end-of-file mark
// only at the very end, so one with more lines after it is no end, and those lines
// are read.
inline constexpr std::string_view kAscEarlyEndMark =
    "Ctrl+Z (an end-of-file mark) with more lines after it";
// Whether a line (without its line end) is a DOS end-of-file mark.
inline bool IsAscEndMark(std::string_view line) { return line == "\x1A" || line == "\x1A\r"; }

// The longest line taken, its line end not counted: a longer one fails the read, so
// that endless input without a line end ends.
inline constexpr std::size_t kAscLineLimit = std::size_t{1} << 20;
// The failure of a read at a line longer than that.
IoError AscLineTooLong(const std::string& path, std::size_t lineNumber);

// A part of an ".asc" file read on its own as the whole file would be read there: from
// the byte `from` (where a line starts) to the byte `to` (where one ends), its lines
// numbered on from `linesBefore`, and with a point taken as seen before it when
// `pointBefore` (so that none of its lines is a title).
struct AscPart {
  static constexpr std::uint64_t kEnd = UINT64_MAX;
  std::uint64_t from = 0, to = kEnd;
  std::size_t linesBefore = 0;
  bool pointBefore = false;
};

// Streams a file through a buffer; nothing but the current line is kept, and no line
// is longer than kAscLineLimit.
class AscReader {
 public:
  enum class Result { kPoint, kBadLine, kEnd, kFailed };

  AscReader() = default;
  AscReader(const AscReader&) = delete;
  AscReader& operator=(const AscReader&) = delete;
  ~AscReader() { Close(); }

  bool Open(const std::string& path);
  // Reads `part` of the file alone, through reads at its offsets.
  bool Open(const std::string& path, const AscPart& part);
  // The next point, or a bad line (see BadLine), the end, or a read failure (see
  // Error). The point's text stays valid until the next call.
  Result Next(AscPoint& point);
  void Close();

  std::size_t LineNumber() const { return lineNumber_; }
  // What is wrong with the last line read, at its line; nothing when it held a point.
  ContentError BadLine() const;
  // Why the file could not be opened or read: the system's words, or the line that
  // is too long (kTooLarge).
  const IoError& Error() const { return error_; }
  // Title lines passed over so far.
  std::size_t TitleLines() const { return titleLines_; }
  // Whether a point was read (or, in a part, taken as read before it).
  bool SeenPoint() const { return seenPoint_; }
  // Whether the input ended at a DOS end-of-file line (Ctrl+Z) with nothing but line
  // ends after it, to the end of the file (of the whole file, when reading a part).
  bool EndedAtEndOfFileMark() const { return endMark_; }

 private:
  bool Fill();  // moves the unread rest to the front and reads more; false at end or error
  // The end of the line at begin_ and the start of the next, reading more as needed;
  // false at the end of the input or on a failure.
  bool FindLineEnd(std::size_t& stop, std::size_t& next);
  // After an end-of-file mark: whether nothing but line ends follows it. The empty lines
  // looked at are passed over and counted in afterMark_; false on a read failure too.
  bool OnlyLineEndsFollow();
  // The same for the file's bytes past the part, read at their offsets.
  bool OnlyLineEndsPastPart();

  FileHandle file_ = kNoFile;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
  bool seenPoint_ = false;
  bool endMark_ = false;
  AscPart part_;
  bool inPart_ = false;      // reads go through readAt, from `position_` to `part_.to`
  std::uint64_t position_ = 0;
  std::size_t lineNumber_ = 0;
  std::size_t afterMark_ = 0;  // empty lines passed over after a mark, not yet counted
  std::size_t titleLines_ = 0;
  std::string_view badReason_;
  IoError error_;
  std::string path_;
};

}  // namespace qh
