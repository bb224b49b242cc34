// The --offset option of the tools that add degrees to every point.
#pragma once

#include <string_view>

namespace qh::tools {

// "LON,LAT" in degrees, each a finite decimal number with an optional sign ("+" or
// "-", not both) that single precision holds; false for anything else.
bool ParseOffset(std::string_view text, float& longitude, float& latitude);

// An offset that is a number, but one that single precision, in which the program keeps
// its offsets, cannot hold: told as such rather than as no number.
bool OffsetTooLarge(std::string_view text);

}  // namespace qh::tools
