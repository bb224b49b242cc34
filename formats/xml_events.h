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

#include "formats/io_error.h"

namespace qh {

using XmlAttributes = std::vector<std::pair<std::string_view, std::string_view>>;

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void Start(std::string_view name, const XmlAttributes& attributes) = 0;
  // Character data, possibly in several pieces; only while WantsText holds.
  virtual void Text(std::string_view text) = 0;
  virtual void End(std::string_view name) = 0;
  // Whether Text is to be called, as Start and End leave it: most of a document's text
  // is blanks between elements, and a parser not asked for it need not hand it on.
  bool WantsText() const { return wantsText_; }

 protected:
  void WantText(bool wanted) { wantsText_ = wanted; }

 private:
  bool wantsText_ = true;
};

// Parses `document`; false, with the parser's reason and its line in `error` (no path),
// when it is not well-formed XML (or the parser is not there).
bool ParseXml(std::string_view document, XmlHandler& handler, ContentError& error);

// Parses `document` as ParseXml does, on two threads where it pays and the parser
// allows: when an element named `cutName` (with the root's prefix) starts at the top
// level past the middle of a document of at least `twoThreadsFrom` bytes, `first` gets
// the events before it and the root's end, and `second`, on another thread, the
// root's start and every event from that element on; `secondUsed` is then true.
// Otherwise `first` gets every event and `second`'s are to be dropped. A fault is
// told as ParseXml tells it, wherever it lies.
bool ParseXmlInTwo(std::string_view document, std::string_view cutName,
                   std::size_t twoThreadsFrom, XmlHandler& first, XmlHandler& second,
                   bool& secondUsed, ContentError& error);

// `name` without a namespace prefix ("gpx:wpt" gives "wpt").
inline std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace qh
