#include "tools/psp2ov2/line_taker.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "formats/asc_reader.h"

namespace qh::psp2ov2 {

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
  if (ReadFixedColumnLine(line, point_)) {
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
