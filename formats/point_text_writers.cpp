#include "formats/point_text_writers.h"

#include <charconv>
#include <cstdlib>

namespace qh {
namespace {

constexpr std::int64_t kUnitsPerDegree = 100000;

void AppendCsvField(std::string& out, std::string_view text) {
  if (text.find_first_of(",;\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

void AppendDegrees(std::string& out, std::int32_t units) {
  std::int64_t value = units;
  if (value < 0) {
    out += '-';
    value = -value;
  }
  char digits[24];
  const auto whole = std::to_chars(digits, digits + sizeof digits, value / kUnitsPerDegree);
  out.append(digits, whole.ptr);
  out += '.';
  const auto fraction = std::to_chars(digits, digits + sizeof digits,
                                      value % kUnitsPerDegree + kUnitsPerDegree);
  out.append(digits + 1, fraction.ptr);  // five digits, the leading 1 dropped
}

void AppendCsvHeader(std::string& out) { out += "lat,lon,name,desc\r\n"; }

void AppendCsvRow(std::string& out, std::int32_t longitude, std::int32_t latitude,
                  std::string_view name, std::string_view desc) {
  AppendDegrees(out, latitude);
  out += ',';
  AppendDegrees(out, longitude);
  out += ',';
  AppendCsvField(out, name);
  out += ',';
  AppendCsvField(out, desc);
  out += "\r\n";
}

void AppendXmlText(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': case '\n': case '\r': out += c; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += ' ';
        } else if (text.substr(i, 2) == "\xEF\xBF" && i + 2 < text.size() &&
                   (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
          out += ' ';  // U+FFFE and U+FFFF are not XML characters
          i += 2;
        } else {
          out += c;
        }
    }
  }
}

void AppendGpxStart(std::string& out) {
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"Quillhaven ov2\"\n"
      "     xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
}

void AppendGpxWaypoint(std::string& out, std::int32_t longitude, std::int32_t latitude,
                       std::string_view name, std::string_view desc) {
  out += "  <wpt lat=\"";
  AppendDegrees(out, latitude);
  out += "\" lon=\"";
  AppendDegrees(out, longitude);
  out += "\">\n    <name>";
  AppendXmlText(out, name);
  out += "</name>\n";
  if (!desc.empty()) {
    out += "    <desc>";
    AppendXmlText(out, desc);
    out += "</desc>\n";
  }
  out += "  </wpt>\n";
}

void AppendGpxEnd(std::string& out) { out += "</gpx>\n"; }

}  // namespace qh
