// A point as an input gives it, and where it stands in that input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qh::ov2 {

// A point as an input gives it.
struct InputPoint {
  double longitude = 0, latitude = 0;  // degrees
  std::string_view text;               // the overlay's bytes for it
  std::string_view name, desc;         // UTF-8, for GPX and CSV
};

// Where a point stands in its input, for messages: "FILE:LINE" when `unit` is null,
// else "FILE: UNIT NUMBER" ("trip.psp: pin 3").
struct Place {
  const std::string* file = nullptr;
  const char* unit = nullptr;
  std::size_t number = 0;
};
std::string PlaceText(const Place& place);

}  // namespace qh::ov2
