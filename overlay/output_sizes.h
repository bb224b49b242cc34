// The fewest bytes a conversion's outputs take, known from counts alone before the long
// work: every pin a line of the ".asc" file and a POI of the overlay, with empty texts.
// A run that these already do not fit cannot finish, and is refused before anything
// is written.
#pragma once

#include <cstdint>

namespace qh {

// The most bytes of an overlay with a spatial index: devices read its skippers'
// lengths as signed 32-bit numbers.
inline constexpr std::uint64_t kOv2MostBytes = 0x7FFFFFFF;
struct OutputBytes {
  std::uint64_t asc = 0;
  std::uint64_t overlay = 0;
  // The index's temporary files at their fullest, beside the overlay being written.
  std::uint64_t spill = 0;

  std::uint64_t Disk() const { return asc + overlay + spill; }
};

// The least bytes of the outputs of `pins` pins: the ".asc" lines, and unless
// `withOverlay` is false the overlay (indexed: under one skipper at least) and, when
// its index would pass `indexMemory` (0: no limit), the parts' records the index keeps
// on the disk while the overlay is written, as many bytes as the overlay.
OutputBytes LeastOutputBytes(std::uint64_t pins, bool withOverlay, bool indexed,
                             std::uint64_t indexMemory);

}  // namespace qh
