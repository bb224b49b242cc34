#include "tools/psp2ov2/line_taker.h"

#include <algorithm>
#include <cstdio>

namespace qh::psp2ov2 {
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
  for (int i = 0; i < 10; ++i) {
    const char c = column[i];
    const auto digit = static_cast<unsigned>(c - '0');
    const bool is_digit = digit < 10;
    value += is_digit ? static_cast<std::int32_t>(digit) * kPlace[i] : 0;
    negative |= c == '-';
    // Blanks and the sign only before the point, digits on both sides of it.
    valid &= i == 4 || is_digit || (i < 4 && (c == ' ' || c == '-'));
  }
  units = negative ? -value : value;
  return valid;
}

// The point of a line just made by AppendAscLine, read without the general parser:
// the same point ParseAscLine gives. False for a line the shortcut does not cover (a
// coordinate in asterisks, or a line feed in the text, which splits the line).
bool ReadOwnLine(std::string_view line, AscPoint& point) {
  constexpr std::size_t kEnd = 3;  // closing quote, CR, LF
  const std::string_view text = line.substr(kAscTextColumn, line.size() - kAscTextColumn - kEnd);
  // Texts are short: a plain loop, not a library call.
  if (std::find(text.begin(), text.end(), '\n') != text.end()) return false;
  if (!ColumnUnits(line.data(), point.longitude_units) ||
      !ColumnUnits(line.data() + 11, point.latitude_units)) {
    return false;
  }
  point.longitude = point.longitude_units / 100000.0;
  point.latitude = point.latitude_units / 100000.0;
  point.text = text;
  return true;
}

}  // namespace

void LineTaker::Take(const LineBatch& batch) {
  if (write_failed_) return;
  if (!asc_.Write(batch.lines)) {
    write_failed_ = true;
    return;
  }
  if (overlay_ == nullptr) return;
  std::size_t start = 0;
  for (const std::size_t end : batch.ends) {
    AddLine(std::string_view(batch.lines.data() + start, end - start));
    start = end;
  }
}

// The overlay takes each point from its ".asc" line, as makeov2 would, so both
// routes give the same overlay. A failure stays with the builder; Commit reports it.
void LineTaker::AddLine(std::string_view line) {
  if (ReadOwnLine(line, point_)) {
    ++line_number_;
    overlay_->Add(point_);
    return;
  }
  // The rare lines the shortcut leaves alone: a coordinate that did not fit its
  // column is lost, and a line feed in a text splits the line as in the file.
  std::string_view rest = line.substr(0, line.size() - 1);
  for (bool more = true; more;) {
    const std::size_t feed = rest.find('\n');
    const std::string_view piece = rest.substr(0, feed);
    more = feed != std::string_view::npos;
    if (more) rest.remove_prefix(feed + 1);
    ++line_number_;
    std::string_view reason;
    const AscLineKind kind = ParseAscLine(piece, point_, reason);
    if (kind == AscLineKind::kPoint) {
      overlay_->Add(point_);
    } else if (kind == AscLineKind::kBad) {
      ++skipped_;
      std::fprintf(stderr, "%s:%llu: %.*s; the point is left out of the overlay\n",
                   asc_name_.c_str(), static_cast<unsigned long long>(line_number_),
                   static_cast<int>(reason.size()), reason.data());
    }
  }
}

}  // namespace qh::psp2ov2
