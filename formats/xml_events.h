// An XML document as a stream of events, from a well-kept parser: expat on POSIX
// systems (xml_events_posix.cpp), the system's XmlLite on Windows (xml_events_win.cpp).
// Names come without their namespace prefix; texts and attribute values in UTF-8 with
// entities resolved.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qh {

using XmlAttributes = std::vector<std::pair<std::string_view, std::string_view>>;

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void Start(std::string_view name, const XmlAttributes& attributes) = 0;
  // Character data, possibly in several pieces.
  virtual void Text(std::string_view text) = 0;
  virtual void End(std::string_view name) = 0;
};

// Parses `document`; false, with the parser's reason and line in `error`, when it is
// not well-formed XML (or the parser is not there).
bool ParseXml(std::string_view document, XmlHandler& handler, std::string& error);

// `name` without a namespace prefix ("gpx:wpt" gives "wpt").
inline std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace qh
