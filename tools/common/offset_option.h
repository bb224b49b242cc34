// The --offset option of the tools that add degrees to every point.
#pragma once

#include <string_view>

namespace qh::tools {

// "LON,LAT" in degrees, each a finite decimal number with an optional sign ("+" or
// "-", not both) that single precision holds; false for anything else.
bool ParseOffset(std::string_view text, float& longitude, float& latitude);

}  // namespace qh::tools
