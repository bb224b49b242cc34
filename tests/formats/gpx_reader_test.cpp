#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "formats/gpx_reader.h"
#include "formats/xml_declaration.h"
#include "formats/xml_events.h"

namespace qh {
namespace {

struct Seen {
  std::vector<std::string> points;  // "lat lon name|desc", the coordinates as read
  std::vector<std::size_t> bad;     // ordinals of waypoints without numeric coordinates
  bool ok = false;
  ContentError error;
  GpxPassedOver passedOver;
};

Seen Read(const std::string& document, std::size_t twoThreadsFrom = kGpxTwoThreadsFrom) {
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
  seen.ok = ReadGpx(document, waypoint, seen.error, twoThreadsFrom, &seen.passedOver);
  return seen;
}

TEST(GpxReader, TakesTheWaypointsOfBothVersionsAndNothingElse) {
  const std::string gpx10 =
      "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
      "<wpt lat=\"36.1627\" lon=\"-86.7819\"><ele>150</ele><name> Nashville </name>"
      "<cmt>not the desc</cmt><desc>Music &amp; <b>live</b> <![CDATA[<city>]]></desc></wpt>"
      "<rte><rtept lat=\"1\" lon=\"2\"><name>route point</name></rtept></rte>"
      "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk></gpx>";
  const Seen ten = Read(gpx10);
  ASSERT_TRUE(ten.ok) << ten.error.what;
  EXPECT_EQ(ten.points, std::vector<std::string>{"36.162700 -86.781900 Nashville|Music & live <city>"});
  EXPECT_EQ(ten.passedOver.routePoints, 1u);
  EXPECT_EQ(ten.passedOver.trackPoints, 1u);

  const std::string gpx11 =
      "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\">"
      "<g:metadata><g:name>not a point</g:name></g:metadata>"
      "<g:wpt lon=\"2.29448\" lat=\"48.85837\"><g:name>Caf\xC3\xA9</g:name>"
      "<g:link href=\"x\"><g:text>link text</g:text></g:link></g:wpt>"
      "<g:wpt lat=\"north\" lon=\"1\"><g:name>bad</g:name></g:wpt>"
      "<g:wpt lon=\"1\"/><g:wpt lat=\" -1 \" lon=\"-2\"/><g:wpt lat=\"nan\" lon=\"1\"/></g:gpx>";
  const Seen eleven = Read(gpx11);
  ASSERT_TRUE(eleven.ok) << eleven.error.what;
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
    EXPECT_FALSE(seen.error.what.empty()) << document;
  }
}

// A document read in two halves at once gives what one pass gives, wherever its
// middle falls: on a waypoint, or on "<wpt" inside a comment, a CDATA section or a
// nested element, which must not be taken for a place to cut.
#ifdef _WIN32  // XmlLite, as the Windows build uses it, takes no document type
constexpr const char* kDoctype = "";
constexpr const char* kEntity = "&amp;";
#else  // the second half must know the entities the head declares
constexpr const char* kDoctype = "<!DOCTYPE gpx [<!ENTITY e \"ent\">]>\n";
constexpr const char* kEntity = "&e;";
#endif

TEST(GpxReader, TwoHalvesReadAsOnePass) {
  const auto waypoints = [](char tag, int count, bool empty) {
    std::string s;
    for (int i = 0; i < count; ++i) {
      const std::string at =
          "lat=\"" + std::to_string(i) + "\" lon=\"-" + std::to_string(tag - 'a' + 1) + "\"";
      s += empty ? "<wpt " + at + "/>\n"
                 : "<wpt " + at + "><name>" + kEntity + " " + tag + "</name></wpt>\n";
    }
    return s;
  };
  const std::string pad(300, ' ');
  struct Case {
    const char* what;
    std::string root, middle, end;
    bool cut;  // whether a cut in two is sound
  };
  const std::string head = std::string("<?xml version=\"1.0\"?>\n") + kDoctype;
  const std::vector<Case> cases = {
      {"waypoints", "<gpx version=\"1.1\">", "", "</gpx>", true},
      {"empty waypoint elements", "<gpx>", waypoints('e', 3, true), "</gpx>", true},
      {"more waypoints than the halves hand over at once", "<gpx>", waypoints('m', 30000, true),
       "</gpx>", true},
      {"a comment", "<gpx>", "<!--" + pad + "<wpt lat=\"9\" lon=\"9\"/>-->", "</gpx>", false},
      {"a CDATA section", "<gpx>",
       "<wpt lat=\"8\" lon=\"8\"><desc><![CDATA[" + pad + "<wpt lat=\"9\" lon=\"9\"/>]]></desc></wpt>",
       "</gpx>", false},
      {"a nested element", "<gpx>", "<extensions>" + pad + "<wpt lat=\"9\" lon=\"9\"/></extensions>",
       "</gpx>", false},
      {"a fault past the middle", "<gpx>", "<wpt lat=\"9\" lon=\"9\"><name>x</wrong></wpt>",
       "</gpx>", true},
      {"a prefixed root", "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\">", "", "</g:gpx>",
       true},
      {"routes and tracks in both halves", "<gpx>",
       "<rte><rtept lat=\"1\" lon=\"1\"/><rtept lat=\"2\" lon=\"2\"/></rte>",
       "<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg><trkseg><trkpt lat=\"2\" lon=\"2\"/>"
       "</trkseg></trk></gpx>",
       true},
  };
  for (const Case& c : cases) {
    std::string body = waypoints('a', 20, false) + c.middle + waypoints('b', 20, false);
    if (c.root.rfind("<g:", 0) == 0) {
      for (std::size_t at = 0; (at = body.find("wpt", at)) != std::string::npos; at += 5) {
        body.insert(at, "g:");
      }
    }
    const std::string document = head + c.root + "\n" + body + c.end;
    const Seen once = Read(document, SIZE_MAX), twice = Read(document, 0);
    EXPECT_EQ(twice.ok, once.ok) << c.what;
    EXPECT_EQ(twice.error.line, once.error.line) << c.what;
    EXPECT_EQ(twice.error.what, once.error.what) << c.what;
    EXPECT_EQ(twice.points, once.points) << c.what;
    EXPECT_EQ(twice.bad, once.bad) << c.what;
    EXPECT_EQ(twice.passedOver.routePoints, once.passedOver.routePoints) << c.what;
    EXPECT_EQ(twice.passedOver.trackPoints, once.passedOver.trackPoints) << c.what;
    EXPECT_GE(once.points.size(), 20u) << c.what;
#ifndef _WIN32  // XmlLite tells no byte offsets: Windows reads in one pass
    struct Count : XmlHandler {
      void Start(std::string_view, const XmlAttributes&) override {}
      void Text(std::string_view) override {}
      void End(std::string_view) override {}
    } first, second;
    bool secondUsed = false;
    ContentError error;
    // The first half tells how it ended on every way out: a second half that hands over
    // would otherwise wait for it for ever.
    std::optional<bool> firstAtCut;
    const XmlCut cut{"wpt", 0.5, 0, [&](bool atCut) { firstAtCut = atCut; }, {}};
    ParseXmlInTwo(XmlBytesOf(document), cut, first, second, secondUsed, error);
    EXPECT_EQ(secondUsed, c.cut && once.ok) << c.what;
    EXPECT_EQ(firstAtCut, std::optional<bool>(c.cut)) << c.what;
#endif
  }
}

// A document read as it is parsed (from a file) that cannot be read to its end is a
// fault of its reading, wherever that lies: in the prolog, in either half, or at the
// very end, where what was read would pass for a whole document.
TEST(GpxReader, AFailureToReadEndsTheParseAsSuch) {
  std::string document = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">\n";
  for (int i = 0; i < 2000; ++i) document += "<wpt lat=\"1\" lon=\"2\"><name>p</name></wpt>\n";
  document += "</gpx>\n";
  for (const std::size_t failAt : {std::size_t{10}, document.size() / 4, document.size() * 3 / 4,
                                   document.size() - 1}) {
    const XmlBytes whole = XmlBytesOf(document);
    const XmlBytes failing{document.size(), [&](std::uint64_t offset, char* into, std::size_t size) {
                             if (offset + size > failAt) return std::ptrdiff_t{-1};
                             return whole.read(offset, into, size);
                           }};
    std::size_t points = 0;
    ContentError error;
    EXPECT_FALSE(ReadGpx(failing, [&](const GpxWaypoint&) { ++points; }, error, 0)) << failAt;
    EXPECT_EQ(error.what, "read failed") << failAt;
  }
}

// A document in an encoding it declares is read in it, in one pass and in two halves,
// and its texts come out in UTF-8.
TEST(GpxReader, ReadsTheEncodingTheDocumentDeclares) {
  struct Case {
    const char* encoding;
    std::string name;      // as the document holds it
    std::string expected;  // in UTF-8
  };
  const Case cases[] = {
      {"UTF-8", "Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xC3\xA9 \xE2\x82\xAC"},
      {"ISO-8859-1", "Caf\xE9", "Caf\xC3\xA9"},
      {"windows-1252", "Caf\xE9 \x80", "Caf\xC3\xA9 \xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    std::string document = std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding +
                           "\"?>\n<gpx version=\"1.1\">\n";
    for (int i = 0; i < 40; ++i) {
      document += "<wpt lat=\"" + std::to_string(i) + "\" lon=\"2\"><name>" + c.name + "</name></wpt>\n";
    }
    document += "</gpx>\n";
    for (const std::size_t twoThreadsFrom : {SIZE_MAX, std::size_t{0}}) {
      const Seen seen = Read(document, twoThreadsFrom);
      ASSERT_TRUE(seen.ok) << c.encoding << ": " << seen.error.what;
      ASSERT_EQ(seen.points.size(), 40u) << c.encoding;
      EXPECT_EQ(seen.points[39], "39.000000 2.000000 " + c.expected + "|") << c.encoding;
    }
  }
}

// For a parser that reads UTF-8 alone: a document that declares a single-byte encoding
// becomes UTF-8, its declaration saying so and its lines where they were.
TEST(XmlDocumentInUtf8, TurnsTheSingleByteEncodingsIntoUtf8) {
  std::string utf8;
  ASSERT_TRUE(XmlDocumentInUtf8("<?xml version=\"1.0\" encoding='iso-8859-1'?>\n<a>\xE9\x80</a>", utf8));
  EXPECT_EQ(utf8, "<?xml version=\"1.0\" encoding='UTF-8'?>\n<a>\xC3\xA9\xC2\x80</a>");
  ASSERT_TRUE(XmlDocumentInUtf8("<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<a>\xE9\x80</a>", utf8));
  EXPECT_EQ(utf8, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>\xC3\xA9\xE2\x82\xAC</a>");
  for (const char* asItStands : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>",
                                 "<?xml version=\"1.0\"?><a>\xE9</a>", "<a encoding=\"latin1\"/>", ""}) {
    utf8 = "untouched";
    EXPECT_FALSE(XmlDocumentInUtf8(asItStands, utf8)) << asItStands;
    EXPECT_EQ(utf8, "untouched") << asItStands;
  }
}

#ifndef _WIN32
// A handler that runs out of memory in the second half: the parse ends with that on
// the calling thread, not with the program.
TEST(GpxReader, RunningOutOfMemoryInTheSecondHalfComesOutToTheCaller) {
  std::string document = "<gpx>";
  for (int i = 0; i < 100; ++i) document += "<wpt lat=\"1\" lon=\"2\"/>";
  document += "</gpx>";
  struct Nothing : XmlHandler {
    void Start(std::string_view, const XmlAttributes&) override {}
    void Text(std::string_view) override {}
    void End(std::string_view) override {}
  } first;
  struct OutOfMemory : Nothing {
    void Start(std::string_view, const XmlAttributes&) override { throw std::bad_alloc(); }
  } second;
  bool secondUsed = false;
  ContentError error;
  EXPECT_THROW(ParseXmlInTwo(XmlBytesOf(document), XmlCut{"wpt", 0.5, 0, {}, {}}, first, second, secondUsed, error),
               std::bad_alloc);
  // And in the first half, which still tells its end.
  std::optional<bool> firstAtCut;
  const XmlCut cut{"wpt", 0.5, 0, [&](bool atCut) { firstAtCut = atCut; }, {}};
  EXPECT_THROW(ParseXmlInTwo(XmlBytesOf(document), cut, second, first, secondUsed, error), std::bad_alloc);
  EXPECT_EQ(firstAtCut, std::optional<bool>(false));
}
#endif

}  // namespace
}  // namespace qh
