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
  explicit GpxHandler(const GpxVisitor& visitor) : visitor_(visitor) {}

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
    ++ordinal_;
    haveLatitude_ = haveLongitude_ = false;
    name_.clear();
    desc_.clear();
    for (const auto& [key, value] : attributes) {
      if (key == "lat") haveLatitude_ = Number(value, point_.latitude);
      if (key == "lon") haveLongitude_ = Number(value, point_.longitude);
    }
  }
  void EndWaypoint() {
    inWaypoint_ = false;
    if (!haveLatitude_ || !haveLongitude_) {
      if (visitor_.bad) visitor_.bad(ordinal_, "the waypoint has no numeric lat and lon");
      return;
    }
    point_.name = Trimmed(name_);
    point_.desc = Trimmed(desc_);
    if (visitor_.waypoint) visitor_.waypoint(point_);
  }
  static bool Number(std::string_view text, double& value) {
    return ParseDecimal(Trimmed(text), value) && std::isfinite(value);
  }

  const GpxVisitor& visitor_;
  int depth_ = 0;
  bool rootIsGpx_ = false, inWaypoint_ = false;
  bool haveLatitude_ = false, haveLongitude_ = false;
  std::size_t ordinal_ = 0;
  std::string name_, desc_;
  std::string* text_ = nullptr;  // the child whose text is being gathered
  GpxWaypoint point_;
};

}  // namespace

bool ReadGpx(std::string_view document, const GpxVisitor& visitor, std::string& error) {
  GpxHandler handler(visitor);
  if (!ParseXml(document, handler, error)) return false;
  if (!handler.RootIsGpx()) {
    error = "the document is not GPX (its root element is not gpx)";
    return false;
  }
  return true;
}

}  // namespace qh
