#include "tools/common/offset_option.h"

#include <cmath>

#include "formats/asc_reader.h"
#include "formats/decimal_number.h"

namespace qh::tools {

bool ParseOffset(std::string_view text, float& longitude, float& latitude) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  // Read as the .asc coordinates are (so "1e-400" is 0), then kept in single precision
  // as the program keeps its offsets: one that grows infinite there is refused too.
  auto parse = [](std::string_view part, float& value) {
    double number = 0;
    if (!ParseDecimal(part, number)) return false;
    value = static_cast<float>(number);
    return std::isfinite(value);
  };
  float lon = 0, lat = 0;
  if (!parse(text.substr(0, comma), lon) || !parse(text.substr(comma + 1), lat)) return false;
  longitude = lon;
  latitude = lat;
  return true;
}

bool OffsetTooLarge(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  for (const std::string_view part : {text.substr(0, comma), text.substr(comma + 1)}) {
    double number = 0;
    if (ParseDecimal(part, number) && std::isfinite(number) &&
        !std::isfinite(static_cast<float>(number))) {
      return true;
    }
  }
  return false;
}

}  // namespace qh::tools
