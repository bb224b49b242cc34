#include "tools/ov2/utf8_points.h"

#include "formats/gpx_reader.h"
#include "formats/text_encoding.h"

namespace qh::ov2 {

void Utf8Points::Fill(InputPoint& point, std::string_view name, std::string_view desc) {
  text_.clear();
  Encode(name);
  if (options_.appendNotes && !desc.empty()) {
    text_ += ' ';
    Encode(desc);
  }
  point.text = text_;
  point.name = name;
  point.desc = desc;
}

bool Utf8Points::Make(const TextPoint& text, InputPoint& point, std::string_view& reason) {
  const GpxWaypoint waypoint{text.latitude, text.longitude, text.name, text.desc};
  if (!GpxCoordinates(waypoint, point.latitude, point.longitude)) {
    reason = "the waypoint has no numeric lat and lon";
    return false;
  }
  Fill(point, text.name, text.desc);
  return true;
}

void Utf8Points::Encode(std::string_view text) {
  const std::size_t start = text_.size();
  if (options_.utf8) {
    AppendCheckedUtf8(text_, text);
  } else {
    AppendWindows1252FromUtf8(text_, text);
  }
  // As in the pushpin route: a line break never splits a point's line, and a NUL never
  // cuts its name.
  for (std::size_t i = start; i < text_.size(); ++i) {
    if (text_[i] == '\r' || text_[i] == '\n' || text_[i] == '\0') text_[i] = ' ';
  }
}

}  // namespace qh::ov2
