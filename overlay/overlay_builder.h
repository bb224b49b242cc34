// Builds one ".ov2" file from points: streamed in input order (flat), or gathered
// into the spatial index and written at Commit. Either the whole overlay replaces
// the target or the target is left untouched.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "overlay/asc_reader.h"
#include "overlay/ov2_writer.h"
#include "overlay/spatial_index.h"
#include "services/complete_file.h"

namespace qh {

class OverlayBuilder {
 public:
  OverlayBuilder();

  bool Open(const std::string& path, bool flat);
  // A guess of the point count and name bytes to come, so the index grows once.
  void Expect(std::size_t points, std::size_t name_bytes);
  bool Add(const AscPoint& point);
  bool Commit();
  void Abandon();

  std::size_t Points() const { return points_; }
  // The system's reason or the overlay's own; empty while nothing failed.
  const std::string& ErrorMessage() const { return error_; }

 private:
  bool Failed(std::string_view why);

  CompleteFile file_;
  Ov2Writer writer_;
  SpatialIndex index_;
  bool flat_ = false;
  std::size_t points_ = 0;
  std::string error_;
};

}  // namespace qh
