#include "tools/psp2ov2/line_taker.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "formats/asc_writer.h"

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

// The point of a line just made by AppendAscLine, read without the general parser:
// the same point ParseAscLine gives. False for a line the shortcut does not cover: a
// coordinate in asterisks or out of range, a text with a line end (which splits the
// line) or a NUL.
bool ReadOwnLine(std::string_view line, AscPoint& point) {
  constexpr std::size_t kEnd = 3;  // closing quote, CR, LF
  constexpr std::int32_t kLongitudeLimit = 180 * 100000, kLatitudeLimit = 90 * 100000;
  const std::string_view text = line.substr(kAscTextColumn, line.size() - kAscTextColumn - kEnd);
  if (HasLineEndOrNul(text)) return false;
  if (!ColumnUnits(line.data(), point.longitude_units) ||
      !ColumnUnits(line.data() + 11, point.latitude_units)) {
    return false;
  }
  if (point.longitude_units < -kLongitudeLimit || point.longitude_units > kLongitudeLimit ||
      point.latitude_units < -kLatitudeLimit || point.latitude_units > kLatitudeLimit) {
    return false;
  }
  point.longitude = point.longitude_units / 100000.0;
  point.latitude = point.latitude_units / 100000.0;
  point.text = text;
  return true;
}

}  // namespace

void LineTaker::Fail(std::string reason) {
  reason_ = std::move(reason);
  failed_.store(true, std::memory_order_release);
}

void LineTaker::Take(const LineBatch& batch) {
  if (Failed()) return;
  try {
    if (!asc_.Write(batch.lines)) {
      Fail(asc_.Reason());
      return;
    }
    if (overlay_ == nullptr) return;
    std::size_t start = 0;
    for (const std::size_t end : batch.ends) {
      AddLine(std::string_view(batch.lines.data() + start, end - start));
      start = end;
    }
  } catch (const std::bad_alloc&) {  // the overlay's points outgrew memory
    Fail(std::strerror(ENOMEM));
  }
}

// The overlay takes each point from its ".asc" line, as makeov2 would, so both
// routes give the same overlay. A failure stays with the builder; Finish reports it.
void LineTaker::AddLine(std::string_view line) {
  if (ReadOwnLine(line, point_)) {
    ++lineNumber_;
    seenPoint_ = true;
    overlay_->Add(point_);
    return;
  }
  // The rare lines the shortcut leaves alone, taken as makeov2 takes them: a line end
  // in a text splits the line, and what cannot be read is reported and left out.
  for (std::string_view rest = line; !rest.empty();) {
    std::size_t end = 0, next = 0;
    FindAscLineEnd(rest, end, next);
    const std::string_view piece = rest.substr(0, end);
    rest.remove_prefix(next);
    ++lineNumber_;
    std::string_view reason;
    const AscLineKind kind = ParseAscLine(piece, point_, reason);
    if (kind == AscLineKind::kPoint) {
      seenPoint_ = true;
      overlay_->Add(point_);
    } else if (kind == AscLineKind::kBad) {
      if (!seenPoint_ && IsAscTitle(piece)) {
        ++titleLines_;
        continue;
      }
      ++skipped_;
      std::fprintf(stderr, "%s:%llu: %.*s; the point is left out of the overlay\n",
                   ascName_.c_str(), static_cast<unsigned long long>(lineNumber_),
                   static_cast<int>(reason.size()), reason.data());
    }
  }
}

}  // namespace qh::psp2ov2
