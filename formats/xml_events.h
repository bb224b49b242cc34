// An XML document as a stream of events, from a well-kept parser: expat on POSIX
// systems (xml_events_posix.cpp), the system's XmlLite on Windows (xml_events_win.cpp).
// Names come without their namespace prefix; texts and attribute values in UTF-8 with
// entities resolved.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/io_error.h"

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

// Where and how a document is read in two halves at once (ParseXmlInTwo).
struct XmlCut {
  std::string_view name;          // the element cut before, without a prefix
  double notBefore = 0.5;         // the share of the document before which no cut is sought
  std::size_t twoThreadsFrom = 0;  // smaller documents are read in one pass
  // Called on the calling thread when `first`'s events are over, while `second` may
  // still be having its own: with `atCut` when `first` had its events up to the cut,
  // and what `second` gathers can be taken up as it comes; without, when the parse
  // ended otherwise (a fault, an exception, a cut passed by), and what `second` gathers
  // is not wanted. Only when the document is read in two halves.
  std::function<void(bool atCut)> firstDone;
  // Called on the second thread when its events are over, whatever the outcome.
  std::function<void()> secondDone;
};

// A document's bytes, read as the parse goes (from a file, so that it is never held
// whole): `read` puts up to `size` of them from `offset` at `into` and returns how many
// (0 at the end), or -1 for a failure whose reason it keeps. Two threads may read at
// once.
struct XmlBytes {
  std::uint64_t size = 0;
  std::function<std::ptrdiff_t(std::uint64_t offset, char* into, std::size_t size)> read;
};
// The bytes of a document in memory.
inline XmlBytes XmlBytesOf(std::string_view document) {
  return {document.size(), [document](std::uint64_t offset, char* into, std::size_t size) {
            if (offset >= document.size()) return std::ptrdiff_t{0};
            const std::size_t part = std::min(size, document.size() - static_cast<std::size_t>(offset));
            std::memcpy(into, document.data() + offset, part);
            return static_cast<std::ptrdiff_t>(part);
          }};
}

// Parses `document` as ParseXml does, on two threads where it pays and the parser
// allows: when an element named `cut.name` (with the root's prefix) starts at the top
// level past `cut.notBefore` of a document of at least `cut.twoThreadsFrom` bytes,
// `first` gets the events before it and the root's end, and `second`, on another
// thread, the root's start and every event from that element on; `secondUsed` is then
// true. Otherwise `first` gets every event and `second`'s are to be dropped. A fault is
// told as ParseXml tells it, wherever it lies.
// A failure to read the bytes ends the parse as a fault whose reason `read` kept.
bool ParseXmlInTwo(const XmlBytes& document, const XmlCut& cut, XmlHandler& first,
                   XmlHandler& second, bool& secondUsed, ContentError& error);

// `name` without a namespace prefix ("gpx:wpt" gives "wpt").
inline std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace qh
