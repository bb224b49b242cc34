// The readers of every kind of input, each giving its points to a PointSink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/pushpin_reader.h"
#include "tools/ov2/point_flow.h"
#include "tools/ov2/utf8_points.h"

namespace qh::ov2 {

// Reads the points of `path`, a file of any kind ov2 takes, into `flow`. Returns 0,
// or kExitFailed when the input could not be read, is of no known kind or is broken
// (said why, with the byte offset for an overlay), or the flow's consumer failed.
// Points refused on the way are the flow's to count.
int ReadInput(const std::string& path, const TextOptions& options, PointSink& flow);

// Says on standard error that the overlay record at `offset`, of a type not known,
// was passed over.
void SayRecordPassedOver(const std::string& path, std::size_t offset, std::uint8_t type);

}  // namespace qh::ov2
