#include "tools/ov2/point_flow.h"

#include <cstdio>
#include <cstring>

#include "formats/asc_writer.h"

namespace qh::ov2 {

std::string PlaceText(const Place& place) {
  std::string text = *place.file;
  if (place.unit == nullptr) return text + ":" + std::to_string(place.number);
  return text + ": " + place.unit + " " + std::to_string(place.number);
}

void PointFlow::LeftOut(const Place& place, std::string_view reason) {
  ++skipped_;
  std::fprintf(stderr, "%s: %.*s\n", PlaceText(place).c_str(), static_cast<int>(reason.size()),
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

bool PointFlow::Take(const InputPoint& input, const Place& place) {
  line_.clear();
  AppendAscLineOf(line_, AddOffset(longitudeOffset_, input.longitude),
                  AddOffset(latitudeOffset_, input.latitude), input.text);
  AscPoint point;
  if (!ReadFixedColumnLine(line_, point)) {
    std::string_view reason;
    const std::string_view body(line_.data(), line_.size() - 2);  // without CR LF
    if (ParseAscLine(body, point, reason) != AscLineKind::kPoint) {
      LeftOut(place, reason);
      return true;
    }
    if (point.nulInText) {
      std::fprintf(stderr, "%s: a NUL byte in the text is written as a blank\n",
                   PlaceText(place).c_str());
    }
  }
  if (dedupe_ && IsDuplicate(point)) {
    ++duplicates_;
    return true;
  }
  ++points_;
  return consumer_(FlowPoint{point, line_, input});
}

bool PointFlow::IsDuplicate(const AscPoint& point) {
  key_.assign(reinterpret_cast<const char*>(&point.longitudeUnits), sizeof point.longitudeUnits);
  key_.append(reinterpret_cast<const char*>(&point.latitudeUnits), sizeof point.latitudeUnits);
  key_ += point.text;
  return !seen_.insert(key_).second;
}

}  // namespace qh::ov2
