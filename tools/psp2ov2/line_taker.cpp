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

void LineTaker::Take(LineBatch& batch) {
  if (Failed() || OverlayFailed()) return;
  try {
    CompleteLines(batch);
    if (!asc_.Write(batch.Lines())) Fail(asc_.Reason());
  } catch (const std::bad_alloc&) {  // the overlay's points outgrew memory
    Fail(std::strerror(ENOMEM));
  }
}

void LineTaker::CompleteLines(LineBatch& batch) {
  std::size_t start = 0;
  AscColumns columns;
  for (const LineEnd& line : batch.ends) {
    char* const text = batch.room.data() + start;
    PutAscColumns(text, line.longitude, line.latitude, columns);
    ++lineNumber_;
    if (overlay_ != nullptr) TakePoint(std::string_view(text, line.end - start), columns);
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
  std::fprintf(stderr, "%s:%llu: %.*s; the point is left out of the overlay\n", ascName_.c_str(),
               static_cast<unsigned long long>(lineNumber_), static_cast<int>(reason.size()),
               reason.data());
}

}  // namespace qh::psp2ov2
