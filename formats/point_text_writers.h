// The point lists an overlay is read out to, beside the ".asc" lines: CSV with the
// header "lat,lon,name,desc" (RFC 4180 quoting, CR LF) and GPX 1.1 waypoints. Texts
// come in UTF-8; coordinates in OV2 units are written as degrees with five decimals,
// exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qh {

// `units` (1e-5 degree) as a decimal number of degrees: "-86.78000".
void AppendDegrees(std::string& out, std::int32_t units);

void AppendCsvHeader(std::string& out);
void AppendCsvRow(std::string& out, std::int32_t longitude, std::int32_t latitude,
                  std::string_view name, std::string_view desc);

void AppendGpxStart(std::string& out);
// A waypoint; `desc` is left out when empty.
void AppendGpxWaypoint(std::string& out, std::int32_t longitude, std::int32_t latitude,
                       std::string_view name, std::string_view desc);
void AppendGpxEnd(std::string& out);
// `text` (valid UTF-8) with the characters XML gives meaning to escaped, and those it
// does not allow (controls other than tab and line ends) as blanks.
void AppendXmlText(std::string& out, std::string_view text);

}  // namespace qh
