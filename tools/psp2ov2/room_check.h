// What a pushpin file's conversion cannot do, known from its header and its size before
// any pin is read: an overlay beyond the format's 2 GiB, or outputs beyond the free
// space of their disk.
#pragma once

#include <cstdint>
#include <string>

#include "tools/psp2ov2/options.h"

namespace qh::psp2ov2 {

// False, and said why, when the outputs of `input` (whose header counts `npins`) cannot
// be written: `asc` names the ".asc" file, in the outputs' folder.
bool OutputsCanFit(const std::string& input, std::int32_t npins, const Options& options,
                   const std::string& asc);

}  // namespace qh::psp2ov2
