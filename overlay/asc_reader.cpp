#include "overlay/asc_reader.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "overlay/ov2_writer.h"

namespace qh {

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

// A decimal number in the C locale's form; a leading "+" is accepted as well.
bool ReadNumber(std::string_view line, std::size_t& pos, double& value) {
  std::size_t start = pos;
  if (start < line.size() && line[start] == '+') {
    ++start;
    if (start < line.size() && (line[start] == '-' || line[start] == '+')) return false;
  }
  const char* first = line.data() + start;
  const char* last = line.data() + line.size();
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr == first) return false;
  pos = static_cast<std::size_t>(ptr - line.data());
  return true;
}

// The common form "[-]digits.ddddd" (at most five decimals) read exactly into OV2
// units with integer arithmetic; anything else is left to the general reader.
bool ReadFixedUnits(std::string_view line, std::size_t& pos, std::int32_t& units) {
  std::size_t i = pos;
  const bool negative = i < line.size() && line[i] == '-';
  if (negative) ++i;
  std::int64_t whole = 0;
  std::size_t digits = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 7; ++i, ++digits) {
    whole = whole * 10 + (line[i] - '0');
  }
  if (digits == 0 || i >= line.size() || line[i] != '.') return false;
  ++i;
  std::int64_t fraction = 0;
  std::size_t decimals = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i, ++decimals) {
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

// A coordinate: its degrees and its OV2 units. False when it is not a number; a
// number that does not fit the units is found later by ToOv2Units.
bool ReadCoordinate(std::string_view line, std::size_t& pos, double& degrees,
                    std::int32_t& units, bool& fits) {
  if (ReadFixedUnits(line, pos, units)) {
    degrees = static_cast<double>(units) / 100000.0;  // the nearest double, as parsing gives
    fits = true;
    return true;
  }
  if (!ReadNumber(line, pos, degrees)) return false;
  fits = ToOv2Units(degrees, units);
  return true;
}

}  // namespace

AscLineKind ParseAscLine(std::string_view line, AscPoint& point, std::string_view& reason) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t pos = 0;
  SkipBlanks(line, pos);
  if (pos == line.size() || line[pos] == ';') return AscLineKind::kSkip;

  bool longitude_fits = false, latitude_fits = false;
  if (!ReadCoordinate(line, pos, point.longitude, point.longitude_units, longitude_fits)) {
    reason = "the longitude is not a number";
    return AscLineKind::kBad;
  }
  SkipBlanks(line, pos);
  if (pos == line.size() || line[pos] != ',') {
    reason = "expected a comma after the longitude";
    return AscLineKind::kBad;
  }
  ++pos;
  SkipBlanks(line, pos);
  if (!ReadCoordinate(line, pos, point.latitude, point.latitude_units, latitude_fits)) {
    reason = "the latitude is not a number";
    return AscLineKind::kBad;
  }
  SkipBlanks(line, pos);
  if (pos == line.size() || line[pos] != ',') {
    reason = "expected a comma after the latitude";
    return AscLineKind::kBad;
  }
  ++pos;
  SkipBlanks(line, pos);
  const std::size_t close = line.rfind('"');
  if (pos == line.size() || line[pos] != '"' || close == pos) {
    reason = "the text is not enclosed in double quotes";
    return AscLineKind::kBad;
  }
  for (std::size_t i = close + 1; i < line.size(); ++i) {
    if (!IsBlank(line[i])) {
      reason = "unexpected characters after the closing double quote";
      return AscLineKind::kBad;
    }
  }
  if (!longitude_fits) {
    reason = "the longitude is out of range";
    return AscLineKind::kBad;
  }
  if (!latitude_fits) {
    reason = "the latitude is out of range";
    return AscLineKind::kBad;
  }
  point.text = line.substr(pos + 1, close - pos - 1);
  return AscLineKind::kPoint;
}

bool AscReader::Open(const std::string& path) {
  Close();
  error_.clear();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error_ = std::strerror(errno);
    return false;
  }
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    const long size = std::ftell(file_);
    file_size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
  }
  std::rewind(file_);
  buffer_.resize(kReadChunk);
  begin_ = end_ = 0;
  eof_ = false;
  line_number_ = 0;
  seen_point_ = false;
  return true;
}

void AscReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool AscReader::Fill() {
  if (eof_ || file_ == nullptr) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // A line longer than the buffer makes it grow; ordinary lines never do.
  if (buffer_.size() - end_ < kReadChunk / 2) buffer_.resize(buffer_.size() * 2);
  const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    eof_ = true;
    if (std::ferror(file_)) error_ = std::strerror(errno);
    return false;
  }
  return true;
}

AscReader::Result AscReader::Next(AscPoint& point) {
  for (;;) {
    std::size_t scan = begin_;
    const char* newline = nullptr;
    for (;;) {
      newline = static_cast<const char*>(
          std::memchr(buffer_.data() + scan, '\n', end_ - scan));
      if (newline != nullptr) break;
      scan = end_ - begin_;  // already searched, relative to the moved data
      if (!Fill()) break;
    }
    if (!error_.empty()) return Result::kFailed;
    std::string_view line;
    if (newline != nullptr) {
      const std::size_t stop = static_cast<std::size_t>(newline - buffer_.data());
      line = std::string_view(buffer_.data() + begin_, stop - begin_);
      begin_ = stop + 1;
    } else if (begin_ < end_) {  // a last line without a line end
      line = std::string_view(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
    } else {
      return Result::kEnd;
    }
    ++line_number_;
    // A byte-order mark some editors put in front of the first line.
    if (line_number_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    switch (ParseAscLine(line, point, bad_reason_)) {
      case AscLineKind::kPoint:
        seen_point_ = true;
        return Result::kPoint;
      case AscLineKind::kBad:
        // Title lines above the points (GPSBabel writes four): no comma, no quote.
        if (!seen_point_ && line.find_first_of(",\"") == std::string_view::npos) break;
        return Result::kBadLine;
      case AscLineKind::kSkip: break;
    }
  }
}

}  // namespace qh
