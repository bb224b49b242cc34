#include "formats/output_sizes.h"

#include <algorithm>

#include "formats/asc_writer.h"
#include "formats/ov2_writer.h"
#include "formats/spatial_index.h"

namespace qh {

std::uint64_t PinsHeld(std::int32_t npins, std::uint64_t fileBytes) {
  if (npins <= 0 || fileBytes < kPushpinHeaderBytes) return 0;
  return std::min<std::uint64_t>(static_cast<std::uint64_t>(npins),
                                 (fileBytes - kPushpinHeaderBytes) / kPinRecordLeast);
}

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
