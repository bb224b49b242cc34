#include "tools/psp2ov2/room_check.h"

#include <cstdio>

#include "files/file_system.h"
#include "overlay/output_sizes.h"
#include "formats/pushpin_reader.h"
#include "tools/common/standard_output.h"
#include "tools/common/console_text.h"

namespace qh::psp2ov2 {

namespace {

double Mebibytes(std::uint64_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

}  // namespace

bool OutputsCanFit(const std::string& input, std::int32_t npins, const Options& options,
                   const std::string& asc) {
  const auto fileBytes = static_cast<std::uint64_t>(StampOf(input).size);
  const std::uint64_t pins = PinsHeld(npins, fileBytes);
  const bool withOverlay = !options.ascOnly;
  const bool indexed = !options.flat;
  const OutputBytes least = LeastOutputBytes(pins, withOverlay, indexed, options.indexMemory);
  if (withOverlay && indexed && least.overlay > kOv2MostBytes) {
    tools::Print(stderr,
                 "psp2ov2: %s: its %llu pins make an overlay of at least %llu bytes, more "
                 "than an overlay can hold (2 GiB); nothing is written\n",
                 tools::Shown(input).c_str(), static_cast<unsigned long long>(pins),
                 static_cast<unsigned long long>(least.overlay));
    return false;
  }
  std::uint64_t free = 0;
  IoError error;
  // A system that does not say leaves it to the writes.
  if (!FreeDiskBytes(std::string(FolderPart(asc)), free, error) || least.Disk() <= free) return true;
  tools::Print(stderr,
               "psp2ov2: %s: its %llu pins need at least %.1f MiB on the disk of %s, which "
               "has %.1f MiB free; nothing is written\n",
               tools::Shown(input).c_str(), static_cast<unsigned long long>(pins),
               Mebibytes(least.Disk()), tools::Shown(asc).c_str(), Mebibytes(free));
  return false;
}

}  // namespace qh::psp2ov2
