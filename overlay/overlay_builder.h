// Builds one ".ov2" file from points: streamed in input order (flat), or gathered
// into the spatial index and written at Finish. Either the whole overlay replaces
// the target or the target is left untouched. Memory grows with the points added,
// never by a count announced beforehand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/asc_reader.h"
#include "overlay/ov2_writer.h"
#include "overlay/spatial_index.h"
#include "files/complete_file.h"
#include "files/io_error.h"

namespace qh {

// The memory the spatial index may take before it spills to a temporary file beside the
// overlay (see SpatialIndex::SpillBeyond). The most that keeps a whole run under 64 MiB:
// past the budget a run also holds its spill buffers and lines, about 6 MiB, at the
// worst when the index is split into parts just under the budget. It keeps about a
// million points of short names in memory, on the fast path.
inline constexpr std::uint64_t kDefaultIndexMemory = std::uint64_t{56} << 20;

class OverlayBuilder {
 public:
  OverlayBuilder();

  // The index's memory budget for the next Open (bytes); 0: no limit.
  void SetIndexMemory(std::uint64_t bytes) { indexMemory_ = bytes; }

  // With a locked `set`, the overlay's temporary file is named in its journal first.
  bool Open(const std::string& path, bool flat, OutputSet* set = nullptr);
  bool Add(const AscPoint& point);
  // Writes the whole overlay to its temporary file; the target is not yet touched.
  bool Finish();
  // Finish, then the overlay takes the target's place (told first in the journal of
  // `set`, when one is given).
  bool Commit(OutputSet* set = nullptr);
  void Abandon();
  // The file being written, to commit together with others after Finish.
  CompleteFile& File() { return file_; }

  std::size_t Points() const { return points_; }
  // The system's reason or the overlay's own; none while nothing failed. Its path is
  // the overlay's, or the journal's when that failed in the overlay's stead.
  const IoError& Error() const { return error_; }

 private:
  bool Failed(IoFailure what, std::string_view why);
  bool Failed(const IoError& error);

  CompleteFile file_;
  Ov2Writer writer_;
  std::uint64_t fileStart_ = 0;  // the writer's position of the file's first byte
  SpatialIndex index_;
  bool flat_ = false;
  std::uint64_t indexMemory_ = kDefaultIndexMemory;
  std::size_t points_ = 0;
  IoError error_;
};

}  // namespace qh
