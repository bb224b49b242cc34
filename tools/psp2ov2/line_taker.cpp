#include "tools/psp2ov2/line_taker.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
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
    if (!asc_.Write(batch.Lines())) {
      Fail(asc_.Reason());
      return;
    }
    if (overlay_ != nullptr) AddPoints(batch);
  } catch (const std::bad_alloc&) {  // the overlay's points outgrew memory
    Fail(std::strerror(ENOMEM));
  }
}

// Every line is one pin's, its text between the opening quote at its column and the
// closing quote before CR LF: the overlay takes the point the ".asc" reader would take
// (makeov2 makes the same overlay of the file), and the lines the reader refuses are
// reported with their reasons and left out. A failure stays with the builder; Finish
// reports it.
void LineTaker::AddPoints(const LineBatch& batch) {
  constexpr std::size_t kLineEnd = 3;  // closing quote, CR, LF
  std::size_t start = 0;
  for (const LineEnd& line : batch.ends) {
    ++lineNumber_;
    std::string_view reason;
    if (JudgeWrittenLine(line.columns, reason) == AscLineKind::kPoint) {
      point_.longitudeUnits = line.columns.longitudeUnits;
      point_.latitudeUnits = line.columns.latitudeUnits;
      point_.text = std::string_view(batch.room.data() + start + kAscTextColumn,
                                     line.end - start - kAscTextColumn - kLineEnd);
      overlay_->Add(point_);
    } else {
      ++skipped_;
      std::fprintf(stderr, "%s:%llu: %.*s; the point is left out of the overlay\n",
                   ascName_.c_str(), static_cast<unsigned long long>(lineNumber_),
                   static_cast<int>(reason.size()), reason.data());
    }
    start = line.end;
  }
}

}  // namespace qh::psp2ov2
