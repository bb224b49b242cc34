#include "formats/gpx_reader.h"

#include <cmath>

#include "formats/asc_reader.h"
#include "formats/growing_array.h"
#include "formats/xml_events.h"

namespace qh {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Four texts a waypoint, most without a blank at either end: a plain loop, not a
// search of the blanks for every character.
std::string_view Trimmed(std::string_view text) {
  std::size_t first = 0, end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

class GpxHandler : public XmlHandler {
 public:
  explicit GpxHandler(const std::function<void(const GpxWaypoint&)>& waypoint)
      : waypoint_(waypoint) {
    WantText(false);
  }

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    ++depth_;
    if (depth_ == 1) rootIsGpx_ = name == "gpx";
    if (depth_ == 2 && rootIsGpx_ && name == "wpt") StartWaypoint(attributes);
    // A route's points are children of "rte", a track's of "trkseg" in "trk".
    if (depth_ == 3 && rootIsGpx_ && name == "rtept") ++passedOver_.routePoints;
    if (depth_ == 4 && rootIsGpx_ && name == "trkpt") ++passedOver_.trackPoints;
    if (depth_ == 3 && inWaypoint_) {
      text_ = name == "name" ? &name_ : name == "desc" ? &desc_ : nullptr;
    }
    WantText(text_ != nullptr);
  }
  void Text(std::string_view text) override {
    if (text_ != nullptr) text_->append(text);
  }
  void End(std::string_view name) override {
    if (depth_ == 3) text_ = nullptr;
    WantText(text_ != nullptr);
    if (depth_ == 2 && inWaypoint_ && name == "wpt") EndWaypoint();
    --depth_;
  }
  bool RootIsGpx() const { return rootIsGpx_; }
  const GpxPassedOver& PassedOver() const { return passedOver_; }

 private:
  void StartWaypoint(const XmlAttributes& attributes) {
    inWaypoint_ = true;
    latitude_.clear();
    longitude_.clear();
    name_.clear();
    desc_.clear();
    for (const auto& [key, value] : attributes) {
      if (key == "lat") latitude_.assign(value);
      if (key == "lon") longitude_.assign(value);
    }
  }
  void EndWaypoint() {
    inWaypoint_ = false;
    point_.latitude = Trimmed(latitude_);
    point_.longitude = Trimmed(longitude_);
    point_.name = Trimmed(name_);
    point_.desc = Trimmed(desc_);
    waypoint_(point_);
  }

  const std::function<void(const GpxWaypoint&)>& waypoint_;
  int depth_ = 0;
  bool rootIsGpx_ = false, inWaypoint_ = false;
  std::string latitude_, longitude_, name_, desc_;
  std::string* text_ = nullptr;  // the child whose text is being gathered
  GpxWaypoint point_;
  GpxPassedOver passedOver_;
};

// The waypoints of the document's second half, kept until the first half's are told.
class KeptWaypoints {
 public:
  void Keep(const GpxWaypoint& w) {
    starts_.PushBack(bytes_.Size());
    for (std::string_view text : {w.latitude, w.longitude, w.name, w.desc}) {
      bytes_.Append(text.data(), text.size());
      starts_.PushBack(bytes_.Size());
    }
  }
  void Tell(const std::function<void(const GpxWaypoint&)>& waypoint) const {
    const std::string_view all(bytes_.Data(), bytes_.Size());
    for (std::size_t i = 0; i + 4 < starts_.Size(); i += 5) {
      const auto text = [&](std::size_t k) {
        return all.substr(starts_[i + k], starts_[i + k + 1] - starts_[i + k]);
      };
      waypoint(GpxWaypoint{text(0), text(1), text(2), text(3)});
    }
  }

 private:
  // Arrays that grow without copying what they hold: half a large document's texts.
  GrowingArray<char> bytes_;
  GrowingArray<std::size_t> starts_;  // five a waypoint: where each text starts, and the end
};

}  // namespace

bool GpxCoordinates(const GpxWaypoint& waypoint, double& latitude, double& longitude) {
  return ParseDecimal(waypoint.latitude, latitude) && std::isfinite(latitude) &&
         ParseDecimal(waypoint.longitude, longitude) && std::isfinite(longitude);
}

bool ReadGpx(std::string_view document, const std::function<void(const GpxWaypoint&)>& waypoint,
             ContentError& error, std::size_t twoThreadsFrom, GpxPassedOver* passedOver) {
  KeptWaypoints kept;
  const std::function<void(const GpxWaypoint&)> keep = [&](const GpxWaypoint& w) { kept.Keep(w); };
  GpxHandler first(waypoint), second(keep);
  bool secondUsed = false;
  if (!ParseXmlInTwo(document, "wpt", twoThreadsFrom, first, second, secondUsed, error)) {
    return false;
  }
  if (!first.RootIsGpx()) {
    error = {};
    error.what = "the document is not GPX (its root element is not gpx)";
    return false;
  }
  if (secondUsed) kept.Tell(waypoint);
  if (passedOver != nullptr) {
    *passedOver = first.PassedOver();
    if (secondUsed) {
      passedOver->routePoints += second.PassedOver().routePoints;
      passedOver->trackPoints += second.PassedOver().trackPoints;
    }
  }
  return true;
}

}  // namespace qh
