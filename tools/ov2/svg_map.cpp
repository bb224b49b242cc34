#include "tools/ov2/svg_map.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "formats/point_text_writers.h"
#include "resources/land/land_110m.h"

namespace qh::ov2 {
namespace {

constexpr double kUnitsPerDegree = 100000.0;
constexpr double kPi = 3.14159265358979323846;
constexpr int kHeader = 36;  // pixels above the map for the name
constexpr int kFooter = 36;  // pixels below it for the scale and the count
constexpr int kMinimumWidth = 360;  // room for the scale and the count under a narrow map

// Degrees to pixels: equirectangular, longitudes shortened by the cosine of the
// frame's middle latitude so that shapes keep their look away from the equator.
class Projection {
 public:
  explicit Projection(const MapFrame& frame) : frame_(frame) {
    const double middle = (frame.south + frame.north) / 2;
    const double squeeze = std::max(std::cos(middle * kPi / 180), 0.2);
    const double width = (frame.east - frame.west) * squeeze, height = frame.north - frame.south;
    scale_ = SvgMap::kLongSide / std::max(width, height);
    xScale_ = scale_ * squeeze;
    width_ = std::max(1, static_cast<int>(std::ceil(width * scale_)));
    height_ = std::max(1, static_cast<int>(std::ceil(height * scale_)));
  }
  double X(double longitude) const { return (longitude - frame_.west) * xScale_; }
  double Y(double latitude) const { return (frame_.north - latitude) * scale_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  double PixelsPerLongitudeDegree() const { return xScale_; }

 private:
  MapFrame frame_;
  double scale_ = 1, xScale_ = 1;
  int width_ = 1, height_ = 1;
};

void AppendNumber(std::string& out, double value) {
  char digits[32];
  const auto end =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1);
  out.append(digits, end.ptr);
}

void AppendInteger(std::string& out, long long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end.ptr);
}

void AppendLand(std::string& out, const Projection& projection) {
  out += "<path class=\"land\" d=\"";
  const std::int32_t* point = kLandPoints;
  for (std::size_t ring = 0; ring < kLandRings; ++ring) {
    for (std::uint16_t i = 0; i < kLandRingSizes[ring]; ++i, point += 2) {
      out += i == 0 ? 'M' : 'L';
      AppendNumber(out, projection.X(point[0] / kLandUnitsPerDegree));
      out += ' ';
      AppendNumber(out, projection.Y(point[1] / kLandUnitsPerDegree));
    }
    out += 'Z';
  }
  out += "\"/>\n";
}

// The round number of degrees (1, 2 or 5 times a power of ten) nearest below a fifth
// of the frame's width.
double ScaleDegrees(const MapFrame& frame) {
  const double wanted = (frame.east - frame.west) / 5;
  double step = std::pow(10.0, std::floor(std::log10(wanted)));
  for (const double factor : {5.0, 2.0}) {
    if (step * factor <= wanted) return step * factor;
  }
  return step;
}

void AppendDegreesText(std::string& out, double degrees) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, degrees);
  out.append(digits, end.ptr);
  out += "\xC2\xB0";  // the degree sign
}

// The document's start, the name, and the frame's sea, which the land follows.
void AppendHead(std::string& out, const Projection& projection, std::string_view title) {
  const int width = std::max(projection.Width(), kMinimumWidth);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
  AppendInteger(out, width);
  out += "\" height=\"";
  AppendInteger(out, projection.Height() + kHeader + kFooter);
  out += "\">\n<title>";
  AppendXmlText(out, title);
  out += "</title>\n<style>.sea{fill:#cfe3f3}.land{fill:#e8ecd6;stroke:#7d8f5a;stroke-width:0.6}"
         "circle{fill:#c0392b;stroke:#fff;stroke-width:0.4}text{font:15px sans-serif;fill:#222}"
         ".bar{stroke:#222;stroke-width:2}</style>\n<text x=\"8\" y=\"24\">";
  AppendXmlText(out, title);
  out += "</text>\n<defs><clipPath id=\"frame\"><rect width=\"";
  AppendInteger(out, projection.Width());
  out += "\" height=\"";
  AppendInteger(out, projection.Height());
  out += "\"/></clipPath></defs>\n<g transform=\"translate(0,";
  AppendInteger(out, kHeader);
  out += ")\" clip-path=\"url(#frame)\">\n<rect class=\"sea\" width=\"";
  AppendInteger(out, projection.Width());
  out += "\" height=\"";
  AppendInteger(out, projection.Height());
  out += "\"/>\n";
}

// A dot for the first point in each cell of the dot's size; later points in a cell
// would only draw over it.
void AppendDots(std::string& out, const Projection& projection,
                const std::vector<MapPoint>& points) {
  const auto columns = static_cast<std::size_t>(projection.Width() / SvgMap::kCell + 1);
  const auto rows = static_cast<std::size_t>(projection.Height() / SvgMap::kCell + 1);
  std::vector<bool> taken(columns * rows);
  out += "<g id=\"points\" transform=\"translate(0,";
  AppendInteger(out, kHeader);
  out += ")\">\n";
  for (const MapPoint& point : points) {
    const double x = std::clamp(projection.X(point.longitude / kUnitsPerDegree), 0.0,
                                static_cast<double>(projection.Width()));
    const double y = std::clamp(projection.Y(point.latitude / kUnitsPerDegree), 0.0,
                                static_cast<double>(projection.Height()));
    const std::size_t cell = static_cast<std::size_t>(y / SvgMap::kCell) * columns +
                             static_cast<std::size_t>(x / SvgMap::kCell);
    if (taken[cell]) continue;
    taken[cell] = true;
    out += "<circle cx=\"";
    AppendInteger(out, std::lround(x));
    out += "\" cy=\"";
    AppendInteger(out, std::lround(y));
    out += "\" r=\"2.5\"/>\n";
  }
  out += "</g>\n";
}

// The scale bar with its degrees at the left, the count of points at the right.
void AppendFooter(std::string& out, const Projection& projection, const MapFrame& frame,
                  std::size_t count) {
  const double degrees = ScaleDegrees(frame);
  const int base = kHeader + projection.Height() + 24;
  out += "<line class=\"bar\" x1=\"8\" y1=\"";
  AppendInteger(out, base);
  out += "\" x2=\"";
  AppendNumber(out, 8 + degrees * projection.PixelsPerLongitudeDegree());
  out += "\" y2=\"";
  AppendInteger(out, base);
  out += "\"/>\n<text x=\"";
  AppendNumber(out, 14 + degrees * projection.PixelsPerLongitudeDegree());
  out += "\" y=\"";
  AppendInteger(out, base + 5);
  out += "\">";
  AppendDegreesText(out, degrees);
  out += " of longitude</text>\n<text x=\"";
  AppendInteger(out, std::max(projection.Width(), kMinimumWidth) - 8);
  out += "\" y=\"";
  AppendInteger(out, base + 5);
  out += "\" text-anchor=\"end\">";
  AppendInteger(out, static_cast<long long>(count));
  out += count == 1 ? " point" : " points";
  out += "</text>\n</svg>\n";
}

}  // namespace

MapFrame FrameAround(double west, double south, double east, double north) {
  const double lonMargin = std::max((east - west) / 10, 1.0);
  const double latMargin = std::max((north - south) / 10, 1.0);
  return MapFrame{std::max(west - lonMargin, -180.0), std::max(south - latMargin, -90.0),
                  std::min(east + lonMargin, 180.0), std::min(north + latMargin, 90.0)};
}

void SvgMap::Add(std::int32_t longitude, std::int32_t latitude) {
  points_.push_back({longitude, latitude});
}

std::string SvgMap::Draw(std::string_view title) const {
  MapFrame frame;
  if (!points_.empty()) {
    std::int32_t west = std::numeric_limits<std::int32_t>::max();
    std::int32_t east = std::numeric_limits<std::int32_t>::min();
    std::int32_t south = west, north = east;
    for (const MapPoint& p : points_) {
      west = std::min(west, p.longitude), east = std::max(east, p.longitude);
      south = std::min(south, p.latitude), north = std::max(north, p.latitude);
    }
    frame = FrameAround(west / kUnitsPerDegree, south / kUnitsPerDegree, east / kUnitsPerDegree,
                        north / kUnitsPerDegree);
  }
  const Projection projection(frame);
  std::string out;
  AppendHead(out, projection, title);
  AppendLand(out, projection);
  out += "</g>\n";
  AppendDots(out, projection, points_);
  AppendFooter(out, projection, frame, points_.size());
  return out;
}

}  // namespace qh::ov2
