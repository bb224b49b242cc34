#include "overlay/overlay_builder.h"

namespace qh {

OverlayBuilder::OverlayBuilder()
    : writer_([this](std::string_view bytes) { return file_.Write(bytes); }) {
  // The writer counts its positions from its first byte ever; the file's from the first
  // byte written since it was opened.
  writer_.PlaceAhead(
      [this](std::uint64_t position, std::string_view bytes) {
        return file_.WriteAhead(position - fileStart_, bytes);
      },
      [this](std::uint64_t bytes) { return file_.PassOver(bytes); });
}

bool OverlayBuilder::Open(const std::string& path, bool flat, OutputSet* set) {
  flat_ = flat;
  points_ = 0;
  error_ = {};
  fileStart_ = writer_.BytesWritten();
  // The file's failure as it is: its path is the journal's when that failed instead.
  if (!file_.Open(path, set)) return Failed(file_.Error());
  // Named after the overlay's temporary file, the index's spill files go with it when
  // a killed run's journal is taken up.
  index_.SpillBeyond(indexMemory_, file_.TemporaryPath());
  return true;
}

bool OverlayBuilder::Add(const AscPoint& point) {
  if (error_) return false;
  ++points_;
  if (flat_) {
    writer_.Poi(point.longitudeUnits, point.latitudeUnits, point.text);
    if (writer_.Failed()) return Failed(IoFailure::kWriteFailed, file_.Error().reason);
    return true;
  }
  if (!index_.Add(point.longitudeUnits, point.latitudeUnits, point.text)) {
    const IoError& failure = index_.Error();
    return Failed(IoFailure::kWriteFailed,
                  failure ? failure.reason : "too many points or names for one overlay");
  }
  return true;
}

bool OverlayBuilder::Finish() {
  if (error_) return false;
  if (!flat_ && !index_.Write(writer_)) {
    if (writer_.Failed()) return Failed(IoFailure::kWriteFailed, file_.Error().reason);
    if (index_.Error()) return Failed(IoFailure::kWriteFailed, index_.Error().reason);
    return Failed(IoFailure::kWriteFailed, "the overlay would exceed 2 GiB");
  }
  if (!writer_.Finish() || !file_.Finish()) return Failed(IoFailure::kWriteFailed, file_.Error().reason);
  return true;
}

bool OverlayBuilder::Commit(OutputSet* set) {
  if (!Finish()) return false;
  // The file's failure as it is: its path is the journal's when that failed instead.
  if (!CommitTogether({&file_}, set)) return Failed(file_.Error());
  return true;
}

void OverlayBuilder::Abandon() { file_.Abandon(); }

bool OverlayBuilder::Failed(const IoError& error) {
  if (!error_) error_ = error;
  file_.Abandon();
  return false;
}

bool OverlayBuilder::Failed(IoFailure what, std::string_view why) {
  if (!error_) {
    error_ = {what == IoFailure::kNone ? IoFailure::kWriteFailed : what, file_.Path(),
              why.empty() ? std::string("write failed") : std::string(why)};
  }
  file_.Abandon();
  return false;
}

}  // namespace qh
