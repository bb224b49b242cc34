#include "tools/psp2ov2/line_taker.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "formats/asc_reader.h"
#include "tools/common/tell_failure.h"

namespace qh::psp2ov2 {

void LineTaker::Fail(IoError error) {
  error_ = std::move(error);
  failed_.store(true, std::memory_order_release);
}

void LineTaker::Take(LineBatch& batch) {
  if (Failed() || OverlayFailed()) return;
  try {
    CompleteLines(batch);
    if (!asc_.Write(batch.Lines())) Fail(asc_.Error());
  } catch (const std::bad_alloc&) {  // the overlay's points outgrew memory
    Fail(IoError{IoFailure::kWriteFailed, ascPath_, std::strerror(ENOMEM)});
  }
}

void LineTaker::CompleteLines(LineBatch& batch) {
  // The latitudes first, then the points: a point read right after its latitude's
  // columns were stored would wait for the stores on every line.
  std::size_t start = 0;
  for (LineEnd& line : batch.ends) {
    PutAscLatitude(batch.room.data() + start, line.latitude, line.columns);
    start = line.end;
  }
  if (overlay_ == nullptr) {
    lineNumber_ += batch.ends.size();
    return;
  }
  start = 0;
  for (const LineEnd& line : batch.ends) {
    ++lineNumber_;
    TakePoint(std::string_view(batch.room.data() + start, line.end - start), line.columns);
    start = line.end;
  }
}

// Every line is one pin's, its text between the opening quote at its column and the
// closing quote before CR LF: the overlay takes the point the ".asc" reader would take
// (makeov2 makes the same overlay of the file), and the lines the reader refuses are
// reported with their reasons and left out. A failure stays with the builder, whose
// Error tells it; the lines stop there.
void LineTaker::TakePoint(std::string_view line, const AscColumns& columns) {
  constexpr std::size_t kLineEnd = 3;  // closing quote, CR, LF
  std::string_view reason;
  if (JudgeWrittenLine(columns, reason) == AscLineKind::kPoint) {
    point_.longitudeUnits = columns.longitudeUnits;
    point_.latitudeUnits = columns.latitudeUnits;
    point_.text = line.substr(kAscTextColumn, line.size() - kAscTextColumn - kLineEnd);
    if (!overlay_->Add(point_)) overlayFailed_.store(true, std::memory_order_release);
    return;
  }
  ++skipped_;
  const ContentError fault{ascPath_, static_cast<std::size_t>(lineNumber_),
                           ContentError::kNoOffset, std::string(reason)};
  tools::TellAtLine(fault, "the point is left out of the overlay");
}

}  // namespace qh::psp2ov2
