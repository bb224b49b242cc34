#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/gpx_reader.h"

namespace qh {
namespace {

struct Seen {
  std::vector<std::string> points;  // "lat lon name|desc", the coordinates as read
  std::vector<std::size_t> bad;     // ordinals of waypoints without numeric coordinates
  bool ok = false;
  std::string error;
};

Seen Read(const std::string& document) {
  Seen seen;
  std::size_t ordinal = 0;
  const auto waypoint = [&](const GpxWaypoint& w) {
    ++ordinal;
    double latitude = 0, longitude = 0;
    if (!GpxCoordinates(w, latitude, longitude)) {
      seen.bad.push_back(ordinal);
      return;
    }
    seen.points.push_back(std::to_string(latitude) + " " + std::to_string(longitude) + " " +
                          std::string(w.name) + "|" + std::string(w.desc));
  };
  seen.ok = ReadGpx(document, waypoint, seen.error);
  return seen;
}

TEST(GpxReader, TakesTheWaypointsOfBothVersionsAndNothingElse) {
  const std::string gpx10 =
      "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
      "<wpt lat=\"36.1627\" lon=\"-86.7819\"><ele>150</ele><name> Nashville </name>"
      "<cmt>not the desc</cmt><desc>Music &amp; <![CDATA[<city>]]></desc></wpt>"
      "<rte><rtept lat=\"1\" lon=\"2\"><name>route point</name></rtept></rte>"
      "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk></gpx>";
  const Seen ten = Read(gpx10);
  ASSERT_TRUE(ten.ok) << ten.error;
  EXPECT_EQ(ten.points, std::vector<std::string>{"36.162700 -86.781900 Nashville|Music & <city>"});

  const std::string gpx11 =
      "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\">"
      "<g:metadata><g:name>not a point</g:name></g:metadata>"
      "<g:wpt lon=\"2.29448\" lat=\"48.85837\"><g:name>Caf\xC3\xA9</g:name>"
      "<g:link href=\"x\"><g:text>link text</g:text></g:link></g:wpt>"
      "<g:wpt lat=\"north\" lon=\"1\"><g:name>bad</g:name></g:wpt>"
      "<g:wpt lon=\"1\"/><g:wpt lat=\" -1 \" lon=\"-2\"/><g:wpt lat=\"nan\" lon=\"1\"/></g:gpx>";
  const Seen eleven = Read(gpx11);
  ASSERT_TRUE(eleven.ok) << eleven.error;
  EXPECT_EQ(eleven.points, (std::vector<std::string>{"48.858370 2.294480 Caf\xC3\xA9|",
                                                     "-1.000000 -2.000000 |"}));
  EXPECT_EQ(eleven.bad, (std::vector<std::size_t>{2, 3, 5}));
}

TEST(GpxReader, RefusesWhatIsNotWellFormedOrNotGpx) {
  const char* documents[] = {
      "",
      "<gpx><wpt lat=\"1\" lon=\"2\"></gpx>",
#ifndef _WIN32
      "<gpx>&undefined;</gpx>",  // Wine's XmlLite, which the Windows tests run on, takes it
#endif
      "<kml><wpt lat=\"1\" lon=\"2\"/></kml>",
      "<gpx/><gpx/>",
      "<gpx><name>a</wrong></gpx>",
  };
  for (const char* document : documents) {
    const Seen seen = Read(document);
    EXPECT_FALSE(seen.ok) << document;
    EXPECT_FALSE(seen.error.empty()) << document;
  }
}

}  // namespace
}  // namespace qh
