#include "formats/gpx_reader.h"

#include <cmath>

#include "formats/asc_reader.h"
#include "formats/xml_events.h"

namespace qh {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

class GpxHandler : public XmlHandler {
 public:
  explicit GpxHandler(const std::function<void(const GpxWaypoint&)>& waypoint)
      : waypoint_(waypoint) {}

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    ++depth_;
    if (depth_ == 1) rootIsGpx_ = name == "gpx";
    if (depth_ == 2 && rootIsGpx_ && name == "wpt") StartWaypoint(attributes);
    if (depth_ == 3 && inWaypoint_) {
      text_ = name == "name" ? &name_ : name == "desc" ? &desc_ : nullptr;
    }
  }
  void Text(std::string_view text) override {
    if (text_ != nullptr) text_->append(text);
  }
  void End(std::string_view name) override {
    if (depth_ == 3) text_ = nullptr;
    if (depth_ == 2 && inWaypoint_ && name == "wpt") EndWaypoint();
    --depth_;
  }
  bool RootIsGpx() const { return rootIsGpx_; }

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
};

}  // namespace

bool GpxCoordinates(const GpxWaypoint& waypoint, double& latitude, double& longitude) {
  return ParseDecimal(waypoint.latitude, latitude) && std::isfinite(latitude) &&
         ParseDecimal(waypoint.longitude, longitude) && std::isfinite(longitude);
}

bool ReadGpx(std::string_view document, const std::function<void(const GpxWaypoint&)>& waypoint,
             std::string& error) {
  GpxHandler handler(waypoint);
  if (!ParseXml(document, handler, error)) return false;
  if (!handler.RootIsGpx()) {
    error = "the document is not GPX (its root element is not gpx)";
    return false;
  }
  return true;
}

}  // namespace qh
