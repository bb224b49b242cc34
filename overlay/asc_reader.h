// Reader of ".asc" point files: one point a line, `longitude, latitude, "text"`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qh {

struct AscPoint {
  double longitude = 0, latitude = 0;
  std::int32_t longitude_units = 0, latitude_units = 0;  // OV2 units
  std::string_view text;  // the bytes between the first and the last double quote
};

enum class AscLineKind { kPoint, kSkip, kBad };

// Reads one line (without its line end; a trailing CR is allowed). Blank lines and
// lines whose first non-blank character is ";" are kSkip. For kBad, `reason` says
// what is wrong. The text view points into `line`.
AscLineKind ParseAscLine(std::string_view line, AscPoint& point, std::string_view& reason);

// Streams a file through a large buffer; nothing but the current line is kept. Lines
// before the first point that hold neither a comma nor a double quote are titles
// and are passed over.
class AscReader {
 public:
  enum class Result { kPoint, kBadLine, kEnd, kFailed };

  AscReader() = default;
  AscReader(const AscReader&) = delete;
  AscReader& operator=(const AscReader&) = delete;
  ~AscReader() { Close(); }

  bool Open(const std::string& path);
  // The next point, or a bad line (see BadReason and LineNumber), the end, or a
  // read failure (see ErrorMessage). The point's text stays valid until the next call.
  Result Next(AscPoint& point);
  void Close();

  std::size_t LineNumber() const { return line_number_; }
  std::string_view BadReason() const { return bad_reason_; }
  const std::string& ErrorMessage() const { return error_; }
  // Size of the open file, or 0 when unknown: a hint for reserving room.
  std::uint64_t FileSize() const { return file_size_; }

 private:
  bool Fill();  // moves the unread rest to the front and reads more; false at end or error

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
  bool seen_point_ = false;
  std::size_t line_number_ = 0;
  std::string_view bad_reason_;
  std::string error_;
  std::uint64_t file_size_ = 0;
};

}  // namespace qh
