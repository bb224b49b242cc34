// Decimal numbers as the point formats write them: the C locale's form, whatever the
// locale, exact (to the nearest double) and fast for the short ones coordinates are.
#pragma once

#include <cstddef>
#include <string_view>

namespace qh {

// A decimal number at `pos`, which moves past it: an optional sign ("+" or "-", not
// both) and then a digit or a point, so that "nan" and "inf" are not numbers. A number
// too small for a double reads as zero, one too large as infinity.
bool ReadDecimal(std::string_view line, std::size_t& pos, double& value);

// The same for a whole text: the number and nothing else.
bool ParseDecimal(std::string_view text, double& value);

}  // namespace qh
