// Numbers in the services: the edit descriptors of the text output (shared with the
// file formats, in numeric/) and the services' own text-to-number conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "numeric/edit_descriptors.h"

namespace qh {

// Text to number: the first word of `text`; codes 4, 10, 11 and 12 through IErReport,
// and 0.0 after any of them. `wide` selects the 64-bit limits (and D as exponent).
double ReadNumber(std::string_view text, bool wide);

}  // namespace qh
