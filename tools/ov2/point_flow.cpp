#include "tools/ov2/point_flow.h"

#include <cstdio>
#include <cstring>

#include "formats/asc_writer.h"
#include "tools/common/console_text.h"
#include "tools/common/exit_status.h"
#include "tools/common/standard_output.h"

namespace qh::ov2 {

std::string PlaceText(const Place& place) {
  std::string text = tools::Shown(*place.file);
  if (place.unit == nullptr) return text + ":" + std::to_string(place.number);
  return text + ": " + place.unit + " " + std::to_string(place.number);
}

int TellNoPointCame(const std::string& output) {
  if (output.empty()) {
    tools::Print(stderr, "ov2: no input gave a point; nothing is written\n");
  } else {
    tools::Print(stderr, "ov2: no input gave a point; %s is not written\n",
                 tools::Shown(output).c_str());
  }
  return tools::kExitSkipped;
}

void PointFlow::LeftOut(const Place& place, std::string_view reason) {
  ++skipped_;
  tools::Print(stderr, "%s: %.*s\n", PlaceText(place).c_str(), static_cast<int>(reason.size()),
               reason.data());
}

bool PointFlow::TakeText(const TextPoint& text, const Place& place) {
  std::string_view reason;
  if (!utf8_.Make(text, made_, reason)) {
    LeftOut(place, reason);
    return true;
  }
  return Take(made_, place);
}

namespace {

// The point of a line just written, known from its columns without reading it again;
// false for a line the general parser must judge (its text holds a line end or a NUL,
// or a column will not be read as a coordinate on the Earth).
bool TakeWrittenLine(const AscColumns& columns, std::string_view text, AscPoint& point) {
  std::string_view reason;
  // A loop, not a search of the three characters for every one of the text's.
  for (const char c : text) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  if (JudgeWrittenLine(columns, reason) != AscLineKind::kPoint) return false;
  point.longitudeUnits = columns.longitudeUnits;
  point.latitudeUnits = columns.latitudeUnits;
  point.longitude = static_cast<double>(point.longitudeUnits) / 100000.0;
  point.latitude = static_cast<double>(point.latitudeUnits) / 100000.0;
  point.text = text;
  point.nulInText = false;
  return true;
}

}  // namespace

bool PointFlow::Take(const InputPoint& input, const Place& place) {
  line_.clear();
  AscColumns columns;
  AppendAscLineOf(line_, AddOffset(longitudeOffset_, input.longitude),
                  AddOffset(latitudeOffset_, input.latitude), input.text, columns);
  AscPoint point;
  if (!TakeWrittenLine(columns, input.text, point)) {
    std::string_view reason;
    const std::string_view body(line_.data(), line_.size() - 2);  // without CR LF
    if (ParseAscLine(body, point, reason) != AscLineKind::kPoint) {
      LeftOut(place, reason);
      return true;
    }
    if (point.nulInText) {
      tools::Print(stderr, "%s: a NUL byte in the text is written as a blank\n",
                   PlaceText(place).c_str());
    }
  }
  if (dedupe_ && !seen_.Insert(point.longitudeUnits, point.latitudeUnits, point.text)) {
    ++duplicates_;
    return true;
  }
  ++points_;
  return consumer_(FlowPoint{point, line_, input});
}

}  // namespace qh::ov2
