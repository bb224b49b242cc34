// The overview map: well-formed SVG, a dot per point until dots would overlap, the land
// under the points that are on land, and small for a million points.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formats/xml_events.h"
#include "tools/ov2/svg_map.h"

namespace qh::ov2 {
namespace {

// What a map shows, read back from its SVG with the XML parser.
struct MapSeen : XmlHandler {
  std::vector<std::pair<double, double>> dots;  // cx, cy
  std::vector<std::vector<std::pair<double, double>>> land;
  std::vector<std::string> texts;
  bool inPoints = false, inText = false;

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    auto attribute = [&](std::string_view key) {
      for (const auto& [k, v] : attributes) {
        if (k == key) return std::string(v);
      }
      return std::string();
    };
    if (name == "g" && attribute("id") == "points") inPoints = true;
    if (name == "circle" && inPoints) dots.emplace_back(std::stod(attribute("cx")), std::stod(attribute("cy")));
    if (name == "path" && attribute("class") == "land") ReadRings(attribute("d"));
    if (name == "text" || name == "title") {
      inText = true;
      texts.emplace_back();
    }
  }
  void Text(std::string_view text) override {
    if (inText) texts.back() += text;
  }
  void End(std::string_view name) override {
    if (name == "g") inPoints = false;
    if (name == "text" || name == "title") inText = false;
  }
  void ReadRings(const std::string& d) {
    std::size_t at = 0;
    while (at < d.size()) {
      const char command = d[at++];
      if (command == 'Z') continue;
      if (command == 'M') land.emplace_back();
      std::size_t used = 0;
      const double x = std::stod(d.substr(at), &used);
      at += used + 1;
      const double y = std::stod(d.substr(at), &used);
      at += used;
      land.back().emplace_back(x, y);
    }
  }
  // Even-odd over every ring of the land.
  bool OnLand(double x, double y) const {
    bool inside = false;
    for (const auto& ring : land) {
      for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const auto [xi, yi] = ring[i];
        const auto [xj, yj] = ring[j];
        if ((yi > y) != (yj > y) && x < xi + (y - yi) * (xj - xi) / (yj - yi)) inside = !inside;
      }
    }
    return inside;
  }
};

MapSeen Parse(const std::string& svg) {
  MapSeen seen;
  ContentError error;
  EXPECT_TRUE(ParseXml(svg, seen, error)) << error.what;
  return seen;
}

std::int32_t Units(double degrees) { return static_cast<std::int32_t>(degrees * 100000); }

TEST(SvgMap, ADotPerPointUntilTheyOverlapAndTheCountOfAll) {
  SvgMap map;
  for (int i = 0; i < 30; ++i) map.Add(Units(-90 + i), Units(30 + i * 0.5));  // far apart
  for (int i = 0; i < 500; ++i) map.Add(Units(-75), Units(40));              // one place
  map.Add(Units(-75.00001), Units(40.00001));                                // a hair away
  const MapSeen seen = Parse(map.Draw("Trip & <friends>"));
  EXPECT_EQ(seen.dots.size(), 31u);
  ASSERT_GE(seen.texts.size(), 3u);
  EXPECT_EQ(seen.texts[0], "Trip & <friends>");
  EXPECT_EQ(seen.texts.back(), "531 points");
}

TEST(SvgMap, PointsOnLandFallOnTheLandAndPointsAtSeaDoNot) {
  struct Place {
    const char* name;
    double longitude, latitude;
    bool land;
  };
  const Place places[] = {
      {"Nashville", -86.7819, 36.1627, true}, {"Memphis", -90.049, 35.1495, true},
      {"Knoxville", -83.9207, 35.9606, true}, {"Gulf of Mexico", -90, 25, false},
      {"Atlantic", -70, 30, false},
  };
  SvgMap map;
  for (const Place& p : places) map.Add(Units(p.longitude), Units(p.latitude));
  const MapSeen seen = Parse(map.Draw("Tennessee"));
  ASSERT_EQ(seen.dots.size(), std::size(places));
  for (std::size_t i = 0; i < seen.dots.size(); ++i) {
    EXPECT_EQ(seen.OnLand(seen.dots[i].first, seen.dots[i].second), places[i].land) << places[i].name;
  }
  // And on the whole world, where Nashville must not end up in the Indian Ocean.
  SvgMap world;
  for (const auto& [lon, lat, land] : {std::tuple{-86.7819, 36.1627, true}, {133.88, -23.7, true},
                                       {80.0, -20.0, false}, {-179.0, 68.0, true}, {179.0, -85.0, true}}) {
    world.Add(Units(lon), Units(lat));
    const MapSeen one = Parse(world.Draw("world"));
    EXPECT_EQ(one.OnLand(one.dots.back().first, one.dots.back().second), land) << lon << " " << lat;
  }
}

TEST(SvgMap, AMillionPointsMakeAMapUnderTwoMegabytes) {
  SvgMap map;
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int32_t> lon(-18000000, 18000000), lat(-9000000, 9000000);
  for (int i = 0; i < 1000000; ++i) map.Add(lon(random), lat(random));
  const std::string svg = map.Draw("million");
  EXPECT_LT(svg.size(), 2u << 20);
  const MapSeen seen = Parse(svg);
  EXPECT_GT(seen.dots.size(), 10000u);
  EXPECT_EQ(seen.texts.back(), "1000000 points");
}

}  // namespace
}  // namespace qh::ov2
