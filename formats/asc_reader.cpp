#include "formats/asc_reader.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "formats/asc_writer.h"
#include "formats/decimal_number.h"
#include "files/file_calls.h"
#include "files/file_system.h"
#include "formats/ov2_units.h"
#include "numeric/ascii.h"

namespace qh {

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;
// The OV2 units of the coordinates' ranges.
constexpr std::int32_t kLongitudeLimit = 180 * 100000;
constexpr std::int32_t kLatitudeLimit = 90 * 100000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

// "0x" where a number was read as its "0": a hexadecimal number, which the file's
// decimal columns do not take.
bool IsHexPrefix(std::string_view line, std::size_t pos) {
  return pos > 0 && pos < line.size() && (line[pos] == 'x' || line[pos] == 'X') &&
         line[pos - 1] == '0';
}

// The common form "[-]digits.ddddd" (at most five decimals) read exactly into OV2
// units with integer arithmetic; anything else is left to the general reader.
bool ReadFixedUnits(std::string_view line, std::size_t& pos, std::int32_t& units) {
  std::size_t i = pos;
  const bool negative = i < line.size() && line[i] == '-';
  if (negative) ++i;
  std::int64_t whole = 0;
  std::size_t digits = 0;
  for (; i < line.size() && IsDigit(line[i]) && digits < 7; ++i, ++digits) {
    whole = whole * 10 + (line[i] - '0');
  }
  if (digits == 0 || i >= line.size() || line[i] != '.') return false;
  ++i;
  std::int64_t fraction = 0;
  std::size_t decimals = 0;
  for (; i < line.size() && IsDigit(line[i]); ++i, ++decimals) {
    if (decimals == 5) return false;
    fraction = fraction * 10 + (line[i] - '0');
  }
  if (i < line.size() && (line[i] == 'e' || line[i] == 'E')) return false;
  for (std::size_t d = decimals; d < 5; ++d) fraction *= 10;
  std::int64_t value = whole * 100000 + fraction;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  units = static_cast<std::int32_t>(value);
  pos = i;
  return true;
}

enum class Coordinate { kRead, kNotANumber, kAsterisks };

// A coordinate: its degrees, and its OV2 units with `fits` true when it has them.
Coordinate ReadCoordinate(std::string_view line, std::size_t& pos, double& degrees,
                          std::int32_t& units, bool& fits) {
  if (ReadFixedUnits(line, pos, units)) {
    degrees = static_cast<double>(units) / 100000.0;  // the nearest double, as parsing gives
    fits = true;
    return Coordinate::kRead;
  }
  // Quillhaven's mark for a number too wide for its ten columns.
  if (pos < line.size() && line[pos] == '*') return Coordinate::kAsterisks;
  if (!ReadDecimal(line, pos, degrees)) return Coordinate::kNotANumber;
  fits = ToOv2Units(degrees, units);
  return Coordinate::kRead;
}

// What is wrong with one coordinate field, in the words of its axis.
struct AxisReasons {
  std::string_view notANumber, asterisks, notDecimal, noComma;
};
constexpr AxisReasons kLongitudeReasons{
    "the longitude is not a number", "the longitude did not fit the .asc columns",
    "the longitude is not a decimal number", "expected a comma after the longitude"};
constexpr AxisReasons kLatitudeReasons{
    "the latitude is not a number", "the latitude did not fit the .asc columns",
    "the latitude is not a decimal number", "expected a comma after the latitude"};
constexpr std::string_view kLongitudeOffEarth = "the longitude is outside -180..180";
constexpr std::string_view kLatitudeOffEarth = "the latitude is outside -90..90";

bool LongitudeOnEarth(std::int32_t units) {
  return units >= -kLongitudeLimit && units <= kLongitudeLimit;
}
bool LatitudeOnEarth(std::int32_t units) {
  return units >= -kLatitudeLimit && units <= kLatitudeLimit;
}

// One coordinate and the comma after it; false with the reason when the field is bad.
bool ReadCoordinateField(std::string_view line, std::size_t& pos, const AxisReasons& axis,
                         double& degrees, std::int32_t& units, bool& fits,
                         std::string_view& reason) {
  switch (ReadCoordinate(line, pos, degrees, units, fits)) {
    case Coordinate::kRead: break;
    case Coordinate::kNotANumber:
      reason = axis.notANumber;
      return false;
    case Coordinate::kAsterisks:
      reason = axis.asterisks;
      return false;
  }
  SkipBlanks(line, pos);
  if (IsHexPrefix(line, pos)) {
    reason = axis.notDecimal;
    return false;
  }
  if (pos == line.size() || line[pos] != ',') {
    reason = axis.noComma;
    return false;
  }
  ++pos;
  SkipBlanks(line, pos);
  return true;
}

// The text between the double quote at `pos` and the last one of the line, with only
// blanks after it; false with the reason otherwise.
bool ReadQuotedText(std::string_view line, std::size_t pos, std::string_view& text,
                    std::string_view& reason) {
  const std::size_t close = line.rfind('"');
  if (pos == line.size() || line[pos] != '"' || close == pos) {
    reason = "the text is not enclosed in double quotes";
    return false;
  }
  for (std::size_t i = close + 1; i < line.size(); ++i) {
    if (!IsBlank(line[i])) {
      reason = "unexpected characters after the closing double quote";
      return false;
    }
  }
  text = line.substr(pos + 1, close - pos - 1);
  return true;
}

}  // namespace

AscLineKind ParseAscLine(std::string_view line, AscPoint& point, std::string_view& reason) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t pos = 0;
  SkipBlanks(line, pos);
  if (pos == line.size() || line[pos] == ';') return AscLineKind::kSkip;

  bool longitudeFits = false, latitudeFits = false;
  std::string_view text;
  if (!ReadCoordinateField(line, pos, kLongitudeReasons, point.longitude, point.longitudeUnits,
                           longitudeFits, reason) ||
      !ReadCoordinateField(line, pos, kLatitudeReasons, point.latitude, point.latitudeUnits,
                           latitudeFits, reason) ||
      !ReadQuotedText(line, pos, text, reason)) {
    return AscLineKind::kBad;
  }
  if (!longitudeFits || !LongitudeOnEarth(point.longitudeUnits)) {
    reason = kLongitudeOffEarth;
    return AscLineKind::kBad;
  }
  if (!latitudeFits || !LatitudeOnEarth(point.latitudeUnits)) {
    reason = kLatitudeOffEarth;
    return AscLineKind::kBad;
  }
  point.text = text;
  point.nulInText = point.text.find('\0') != std::string_view::npos;
  return AscLineKind::kPoint;
}

void FindAscLineEnd(std::string_view text, std::size_t& end, std::size_t& next) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) {
    end = next = text.size();
    return;
  }
  end = at;
  next = at + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
}

bool IsAscTitle(std::string_view line) {
  return line.find_first_of(",\"") == std::string_view::npos;
}

ContentError AscReader::BadLine() const {
  if (badReason_.empty()) return {};
  return {path_, lineNumber_, ContentError::kNoOffset, std::string(badReason_)};
}

bool AscReader::Open(const std::string& path) { return Open(path, AscPart{}); }

bool AscReader::Open(const std::string& path, const AscPart& part) {
  Close();
  error_ = {};
  path_ = path;
  file_ = OpenToRead(path, error_);
  if (file_ == kNoFile) return false;
  buffer_.resize(kReadChunk);
  begin_ = end_ = 0;
  eof_ = false;
  endMark_ = false;
  afterMark_ = 0;
  part_ = part;
  inPart_ = part.from != 0 || part.to != AscPart::kEnd;
  position_ = part.from;
  lineNumber_ = part.linesBefore;
  titleLines_ = 0;
  seenPoint_ = part.pointBefore;
  return true;
}

void AscReader::Close() {
  if (file_ != kNoFile) CurrentFileCalls().close(file_);
  file_ = kNoFile;
}

bool AscReader::Fill() {
  if (eof_ || file_ == kNoFile) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // A line longer than half the buffer makes it grow, once: lines are limited.
  if (buffer_.size() - end_ < kReadChunk / 2) buffer_.resize(buffer_.size() * 2);
  std::size_t room = buffer_.size() - end_;
  if (inPart_ && part_.to - position_ < room) room = static_cast<std::size_t>(part_.to - position_);
  const std::ptrdiff_t got =
      room == 0 ? 0
      : inPart_ ? CurrentFileCalls().readAt(file_, buffer_.data() + end_, room, position_)
                : CurrentFileCalls().read(file_, buffer_.data() + end_, room);
  if (got <= 0) {
    eof_ = true;
    if (got < 0) error_ = {IoFailure::kReadFailed, path_, std::strerror(errno != 0 ? errno : EIO)};
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  position_ += static_cast<std::uint64_t>(got);
  return true;
}

IoError AscLineTooLong(const std::string& path, std::size_t lineNumber) {
  char number[24];
  const auto last = std::to_chars(number, number + sizeof number, lineNumber).ptr;
  return {IoFailure::kTooLarge, path, "line " + std::string(number, last) + " is longer than 1 MiB"};
}

bool AscReader::FindLineEnd(std::size_t& stop, std::size_t& next) {
  auto tooLong = [this] {
    error_ = AscLineTooLong(path_, lineNumber_ + 1);
    return false;
  };
  std::size_t scan = 0;  // from begin_: bytes known to hold no line end
  for (;;) {
    const char* from = buffer_.data() + begin_ + scan;
    const std::size_t length = end_ - begin_ - scan;
    const auto* feed = static_cast<const char*>(std::memchr(from, '\n', length));
    const auto* ret = static_cast<const char*>(
        std::memchr(from, '\r', feed != nullptr ? static_cast<std::size_t>(feed - from) : length));
    if (ret != nullptr) {
      stop = static_cast<std::size_t>(ret - buffer_.data());
      // A CR at the end of what is read may be the first half of CR LF.
      if (stop + 1 < end_ || eof_) {
        next = stop + 1 + (stop + 1 < end_ && buffer_[stop + 1] == '\n' ? 1 : 0);
        return stop - begin_ <= kAscLineLimit || tooLong();
      }
      scan = stop - begin_;
    } else if (feed != nullptr) {
      stop = static_cast<std::size_t>(feed - buffer_.data());
      next = stop + 1;
      return stop - begin_ <= kAscLineLimit || tooLong();
    } else {
      scan = end_ - begin_;
    }
    if (scan > kAscLineLimit) return tooLong();
    if (!Fill()) {
      if (error_ || scan == end_ - begin_) return false;
      // The input ended right after a CR.
      stop = begin_ + scan;
      next = end_;
      return true;
    }
  }
}

AscReader::Result AscReader::Next(AscPoint& point) {
  for (;;) {
    lineNumber_ += afterMark_;
    afterMark_ = 0;
    std::size_t stop = 0, next = 0;
    if (!FindLineEnd(stop, next)) {
      if (error_) return Result::kFailed;
      if (begin_ == end_) return Result::kEnd;
      stop = next = end_;  // a last line without a line end
    }
    std::string_view line(buffer_.data() + begin_, stop - begin_);
    begin_ = next;
    ++lineNumber_;
    // A byte-order mark some editors put in front of the first line.
    if (lineNumber_ == 1 && part_.from == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    badReason_ = {};
    if (IsAscEndMark(line)) {
      if (OnlyLineEndsFollow()) {
        lineNumber_ += afterMark_;
        afterMark_ = 0;
        endMark_ = true;
        return Result::kEnd;
      }
      if (error_) return Result::kFailed;
      if (!seenPoint_) {  // a title, as any line before the first point without "," or '"'
        ++titleLines_;
        continue;
      }
      badReason_ = kAscEarlyEndMark;
      return Result::kBadLine;
    }
    // The lines Quillhaven writes, read without the general parser: the same point.
    if (ReadFixedColumnBody(line, point)) {
      seenPoint_ = true;
      return Result::kPoint;
    }
    switch (ParseAscLine(line, point, badReason_)) {
      case AscLineKind::kPoint:
        seenPoint_ = true;
        return Result::kPoint;
      case AscLineKind::kBad:
        if (!seenPoint_ && IsAscTitle(line)) {
          ++titleLines_;
          break;
        }
        return Result::kBadLine;
      case AscLineKind::kSkip: break;
    }
  }
}

bool AscReader::OnlyLineEndsFollow() {
  for (;;) {
    std::size_t stop = 0, next = 0;
    if (!FindLineEnd(stop, next)) {
      if (error_ || begin_ != end_) return false;  // a failure, or a last line of its own
      return !inPart_ || part_.to == AscPart::kEnd || OnlyLineEndsPastPart();
    }
    if (stop != begin_) return false;
    begin_ = next;
    ++afterMark_;
  }
}

bool AscReader::OnlyLineEndsPastPart() {
  char piece[4096];
  for (std::uint64_t at = part_.to;;) {
    const std::ptrdiff_t got = CurrentFileCalls().readAt(file_, piece, sizeof piece, at);
    if (got < 0) {
      error_ = {IoFailure::kReadFailed, path_, std::strerror(errno != 0 ? errno : EIO)};
      return false;
    }
    if (got == 0) return true;
    for (std::ptrdiff_t i = 0; i < got; ++i) {
      if (piece[i] != '\r' && piece[i] != '\n') return false;
    }
    at += static_cast<std::uint64_t>(got);
  }
}

namespace {

// The OV2 units of a coordinate column as AscLine writes it, "[-]d.ddddd" right-aligned
// in ten columns: its digits read as one number, as ParseAscLine reads them. Each
// digit has its place value by its column, so the columns are read independently
// and without branches. False for anything else (asterisks).
bool ColumnUnits(const char* column, std::int32_t& units) {
  static constexpr std::int32_t kPlace[10] = {100000000, 10000000, 1000000, 100000, 0,
                                              10000,     1000,     100,     10,     1};
  std::int32_t value = 0;
  bool negative = false, valid = column[4] == '.' && column[3] != ' ' && column[3] != '-';
  bool seenDigit = false, seenSign = false;
  for (int i = 0; i < 10; ++i) {
    const char c = column[i];
    const auto digit = static_cast<unsigned>(c - '0');
    const bool isDigit = digit < 10;
    value += isDigit ? static_cast<std::int32_t>(digit) * kPlace[i] : 0;
    negative |= c == '-';
    // Blanks, then at most one sign, then digits: a blank or a sign after a digit (or a
    // second sign) is no number the writer makes, and the parser refuses it.
    const bool blank = c == ' ', sign = c == '-';
    valid &= i == 4 || isDigit || (i < 4 && ((blank && !seenDigit && !seenSign) ||
                                              (sign && !seenDigit && !seenSign)));
    seenDigit |= isDigit;
    seenSign |= sign;
  }
  units = negative ? -value : value;
  return valid;
}

// Whether a text holds a byte that ends a line (CR, LF) or would end the name in the
// overlay (NUL). Texts are short: a plain loop, not a library call.
bool HasLineEndOrNul(std::string_view text) {
  constexpr std::uint32_t kMask = (1u << 0) | (1u << '\n') | (1u << '\r');
  bool found = false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    found |= byte <= '\r' && ((kMask >> byte) & 1u) != 0;
  }
  return found;
}

}  // namespace

bool ReadFixedColumnLine(std::string_view line, AscPoint& point) {
  return line.ends_with("\r\n") && ReadFixedColumnBody(line.substr(0, line.size() - 2), point);
}

bool ReadFixedColumnBody(std::string_view line, AscPoint& point) {
  // Only the writer's shape: anything else, however short, is the general parser's.
  if (line.size() < kAscTextColumn + 1 || line[10] != ',' || line[21] != ',' ||
      line[kAscTextColumn - 1] != '"' || line.back() != '"') {
    return false;
  }
  const std::string_view text = line.substr(kAscTextColumn, line.size() - kAscTextColumn - 1);
  if (HasLineEndOrNul(text)) return false;
  if (!ColumnUnits(line.data(), point.longitudeUnits) ||
      !ColumnUnits(line.data() + 11, point.latitudeUnits)) {
    return false;
  }
  if (!LongitudeOnEarth(point.longitudeUnits) || !LatitudeOnEarth(point.latitudeUnits)) {
    return false;
  }
  point.longitude = static_cast<double>(point.longitudeUnits) / 100000.0;
  point.latitude = static_cast<double>(point.latitudeUnits) / 100000.0;
  point.text = text;
  point.nulInText = false;
  return true;
}

AscLineKind JudgeWrittenLine(const AscColumns& columns, std::string_view& reason) {
  // In ParseAscLine's order: each column as a number, then each coordinate's range.
  if (!columns.longitudeFits) {
    reason = kLongitudeReasons.asterisks;
  } else if (!columns.latitudeFits) {
    reason = kLatitudeReasons.asterisks;
  } else if (!LongitudeOnEarth(columns.longitudeUnits)) {
    reason = kLongitudeOffEarth;
  } else if (!LatitudeOnEarth(columns.latitudeUnits)) {
    reason = kLatitudeOffEarth;
  } else {
    return AscLineKind::kPoint;
  }
  return AscLineKind::kBad;
}

}  // namespace qh
