// The readers of every kind of input, each giving its points to a PointSink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/pushpin_reader.h"
#include "overlay/ov2_reader.h"
#include "tools/ov2/point_flow.h"
#include "tools/ov2/utf8_points.h"

namespace qh::ov2 {

// Reads the points of `path`, a file of any kind ov2 takes, into `flow`. Returns 0,
// or kExitFailed when the input could not be read, is of no known kind or is broken
// (said why, with the byte offset for an overlay), or the flow's consumer failed.
// Points refused on the way are the flow's to count. An overlay is read as `reading`
// says: a lenient read repairs its faults and says so in one warning line.
int ReadInput(const std::string& path, const TextOptions& options, Ov2Reading reading,
              PointSink& flow);

// The faults of an overlay counted by kind ("3 points outside their block's box"), or
// as a lenient read repaired them ("3 points lay outside their block's box"), joined
// by `between`; empty when there are none.
std::string Ov2FaultCounts(const Ov2Summary& summary, bool repaired, const char* between);

// Says on standard error that the overlay record at `offset`, of a type not known,
// was passed over.
void SayRecordPassedOver(const std::string& path, std::size_t offset, std::uint8_t type);

}  // namespace qh::ov2
