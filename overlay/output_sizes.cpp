#include "overlay/output_sizes.h"

#include <algorithm>

#include "formats/asc_writer.h"
#include "overlay/ov2_writer.h"
#include "overlay/spatial_index.h"

namespace qh {

OutputBytes LeastOutputBytes(std::uint64_t pins, bool withOverlay, bool indexed,
                             std::uint64_t indexMemory) {
  constexpr std::uint64_t kAscLineLeast = kAscTextColumn + 3;  // the closing quote, CR LF
  OutputBytes bytes;
  bytes.asc = pins * kAscLineLeast;
  if (!withOverlay || pins == 0) return bytes;
  bytes.overlay = pins * kOv2PoiOverhead + (indexed ? kOv2SkipperSize : 0);
  if (indexed && indexMemory != 0 && SpatialIndex::MemoryFor(pins, 0) > indexMemory) {
    bytes.spill = bytes.overlay;
  }
  return bytes;
}

}  // namespace qh
