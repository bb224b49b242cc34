#include <expat.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>

#include "files/run_both.h"
#include "formats/text_encoding.h"
#include "formats/xml_events.h"
#include "numeric/ascii.h"

namespace qh {
namespace {

// Expat takes its input in pieces; any size a piece may have would do.
constexpr std::uint64_t kPiece = std::uint64_t{1} << 20;
constexpr std::size_t kNoCut = std::string_view::npos;

using Parser = std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)>;

struct Context {
  XmlHandler& handler;
  XML_Parser parser;
  std::size_t stopAt = kNoCut;  // the parse ends at a top-level start tag here
  int depth = 0;
  bool stopped = false;
  bool textHandled = true;  // the parser's character data handler is set
  XmlAttributes attributes;
  std::exception_ptr thrown;  // by the handler, kept until the parser has let go
};

// Calls the handler through `call`. An exception must not pass through the parser,
// which would lose what it holds: it stops the parse, and comes out once the parse
// has returned.
template <class Call>
void CallHandler(Context& context, Call call) {
  try {
    call();
  } catch (...) {
    context.thrown = std::current_exception();
    context.stopped = true;
    XML_StopParser(context.parser, XML_FALSE);
  }
}

void OnText(void* data, const XML_Char* text, int length);

// A name from the parser without its prefix, found in the one pass that finds its end:
// the element's and each attribute's at a start tag, the element's at its end.
std::string_view LocalNameOf(const XML_Char* name) {
  const XML_Char* local = name;
  const XML_Char* at = name;
  for (; *at != '\0'; ++at) {
    if (*at == ':') local = at + 1;
  }
  return {local, static_cast<std::size_t>(at - local)};
}

// The parser hands on character data only while the handler wants it.
void FollowTextWish(Context& context) {
  const bool wanted = context.handler.WantsText();
  if (wanted == context.textHandled) return;
  context.textHandled = wanted;
  XML_SetCharacterDataHandler(context.parser, wanted ? OnText : nullptr);
}

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& context = *static_cast<Context*>(data);
  if (context.stopped) return;
  if (context.depth == 1 && context.stopAt != kNoCut &&
      static_cast<std::size_t>(XML_GetCurrentByteIndex(context.parser)) == context.stopAt) {
    context.stopped = true;
    XML_StopParser(context.parser, XML_FALSE);
    return;
  }
  ++context.depth;
  CallHandler(context, [&] {
    context.attributes.clear();
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      context.attributes.emplace_back(LocalNameOf(a[0]), a[1]);
    }
    context.handler.Start(LocalNameOf(name), context.attributes);
  });
  FollowTextWish(context);
}

void OnEnd(void* data, const XML_Char* name) {
  auto& context = *static_cast<Context*>(data);
  if (context.stopped) return;  // the end of an empty element stopped at
  --context.depth;
  CallHandler(context, [&] { context.handler.End(LocalNameOf(name)); });
  FollowTextWish(context);
}

void OnText(void* data, const XML_Char* text, int length) {
  auto& context = *static_cast<Context*>(data);
  if (context.stopped) return;
  CallHandler(context, [&] {
    context.handler.Text(std::string_view(text, static_cast<std::size_t>(length)));
  });
}

// Windows-1252, which GPX files of Windows programs declare, is an encoding expat does
// not know by itself (it knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII): one byte a
// character, by the code page's table.
int OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  std::string lower(name);
  LowerAscii(lower);
  if (lower != "windows-1252" && lower != "cp1252") return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) {
    info->map[byte] = static_cast<int>(Windows1252Character(static_cast<unsigned char>(byte)));
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

// A parser that reads the document in the encoding it declares (UTF-8 when it declares
// none) and hands on its texts in UTF-8.
Parser NewParser() {
  Parser parser(XML_ParserCreate(nullptr), XML_ParserFree);
  if (parser) XML_SetUnknownEncodingHandler(parser.get(), OnUnknownEncoding, nullptr);
  return parser;
}

enum class Outcome { kParsed, kStopped, kFailed };

// A part of a document's bytes: [from, to).
struct Range {
  std::uint64_t from, to;
};

// Feeds the parser `range` of the document, straight into its own buffer, a piece at a
// time; the last range ends the document. kParsed while it goes on.
Outcome ParseRange(XML_Parser parser, const Context& context, const XmlBytes& bytes,
                   const Range& range, bool last, ContentError& error) {
  for (std::uint64_t at = range.from;;) {
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, range.to - at));
    void* buffer = size == 0 ? nullptr : XML_GetBuffer(parser, static_cast<int>(size));
    if (size > 0 && buffer == nullptr) throw std::bad_alloc();
    const std::ptrdiff_t got = size == 0 ? 0 : bytes.read(at, static_cast<char*>(buffer), size);
    if (got < 0) {
      error = {};
      error.what = "read failed";
      return Outcome::kFailed;
    }
    at += static_cast<std::uint64_t>(got);
    // A file that ends before its size said ends the document there.
    const bool end = at >= range.to || got == 0;
    if (XML_ParseBuffer(parser, static_cast<int>(got), last && end ? 1 : 0) != XML_STATUS_OK) {
      if (context.thrown) std::rethrow_exception(context.thrown);
      if (context.stopped) return Outcome::kStopped;
      error = {};
      error.line = static_cast<std::size_t>(XML_GetCurrentLineNumber(parser));
      error.what = XML_ErrorString(XML_GetErrorCode(parser));
      return Outcome::kFailed;
    }
    if (end) return Outcome::kParsed;
  }
}

// Parses the ranges as one document, ending early (kStopped) at `stopAt` when a
// top-level element starts there.
Outcome ParseRanges(const XmlBytes& bytes, std::initializer_list<Range> ranges,
                    XmlHandler& handler, std::size_t stopAt, ContentError& error) {
  const Parser parser = NewParser();
  if (!parser) {
    error = {};
    error.what = "out of memory";
    return Outcome::kFailed;
  }
  Context context{handler, parser.get(), stopAt, 0, false, true, {}, nullptr};
  XML_SetUserData(parser.get(), &context);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  FollowTextWish(context);
  const Range* lastRange = ranges.end() - 1;
  for (const Range& range : ranges) {
    const Outcome outcome = ParseRange(parser.get(), context, bytes, range, &range == lastRange, error);
    if (outcome != Outcome::kParsed) return outcome;
  }
  return Outcome::kParsed;
}

// What comes before the root's content: the prolog and the root's start tag.
struct Head {
  std::size_t end = kNoCut;  // the byte after the root's start tag
  std::string rootName;      // as written, prefix included
};

void OnRootStart(void* data, const XML_Char* name, const XML_Char**) {
  auto& [parser, head] = *static_cast<std::pair<XML_Parser, Head*>*>(data);
  head->end = static_cast<std::size_t>(XML_GetCurrentByteIndex(parser) +
                                       XML_GetCurrentByteCount(parser));
  head->rootName = name;
  XML_StopParser(parser, XML_FALSE);
}

// Up to `size` bytes at `offset`, as many as there are: fewer only at the end or on a
// failure to read.
std::size_t ReadUpTo(const XmlBytes& bytes, std::uint64_t offset, char* into, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::ptrdiff_t got = bytes.read(offset + done, into + done, size - done);
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

Head FindHead(const XmlBytes& bytes) {
  Head head;
  const Parser parser = NewParser();
  if (!parser) return head;
  std::pair<XML_Parser, Head*> data{parser.get(), &head};
  XML_SetUserData(parser.get(), &data);
  XML_SetStartElementHandler(parser.get(), OnRootStart);
  constexpr std::size_t kStep = std::size_t{64} * 1024;
  std::string piece(kStep, '\0');
  for (std::uint64_t at = 0; at < bytes.size && head.end == kNoCut; at += kStep) {
    const std::size_t size = ReadUpTo(bytes, at, piece.data(), kStep);
    if (size == 0 || XML_Parse(parser.get(), piece.data(), static_cast<int>(size), 0) != XML_STATUS_OK) {
      break;
    }
  }
  // An empty root ("<gpx/>") has no content to cut.
  char close[2] = {};
  if (head.end != kNoCut && head.end >= 2 &&
      (ReadUpTo(bytes, head.end - 2, close, 2) != 2 || std::string_view(close, 2) == "/>")) {
    head.end = kNoCut;
  }
  return head;
}

bool EndsATagName(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' || c == '/';
}

// The first "<NAME" past the share of the document `cut` names, NAME with the root's
// prefix; the document is searched a window at a time.
std::size_t FindCut(const XmlBytes& bytes, const Head& head, const XmlCut& cut) {
  const std::size_t colon = head.rootName.rfind(':');
  const std::string tag = "<" +
                          (colon == std::string::npos ? std::string()
                                                      : head.rootName.substr(0, colon + 1)) +
                          std::string(cut.name);
  constexpr std::size_t kWindow = std::size_t{64} * 1024;
  // Each window reaches past its step by a tag and the character after it, so a tag
  // that starts within the step is judged whole, in one window.
  std::string window(kWindow + tag.size() + 1, '\0');
  const auto notBefore = static_cast<std::uint64_t>(static_cast<double>(bytes.size) * cut.notBefore);
  for (std::uint64_t at = std::max<std::uint64_t>(head.end, notBefore); at < bytes.size; at += kWindow) {
    const std::size_t size = ReadUpTo(bytes, at, window.data(), window.size());
    const std::string_view seen(window.data(), size);
    for (std::size_t i = seen.find(tag); i != std::string_view::npos && i < kWindow;
         i = seen.find(tag, i + tag.size())) {
      if (i + tag.size() >= size) return kNoCut;  // the document ends with it
      if (EndsATagName(seen[i + tag.size()])) return static_cast<std::size_t>(at + i);
    }
    if (size < window.size()) return kNoCut;
  }
  return kNoCut;
}

class NoHandler : public XmlHandler {
 public:
  void Start(std::string_view, const XmlAttributes&) override {}
  void Text(std::string_view) override {}
  void End(std::string_view) override {}
};

}  // namespace

bool ParseXml(std::string_view document, XmlHandler& handler, ContentError& error) {
  const XmlBytes bytes = XmlBytesOf(document);
  return ParseRanges(bytes, {{0, bytes.size}}, handler, kNoCut, error) == Outcome::kParsed;
}

// The second half starts from the document's own prolog and root start tag, so its
// entities, namespaces and encoding are those of the whole. The first half runs to the
// cut only when the parser itself meets the cut as a start tag at the top level:
// a cut that falls in a comment, a CDATA section or a nested element is passed by,
// and the first half simply goes on to the end.
bool ParseXmlInTwo(const XmlBytes& document, const XmlCut& cut, XmlHandler& first,
                   XmlHandler& second, bool& secondUsed, ContentError& error) {
  secondUsed = false;
  const Range whole{0, document.size};
  const Head head = document.size >= cut.twoThreadsFrom ? FindHead(document) : Head{};
  const std::size_t at = head.end == kNoCut ? kNoCut : FindCut(document, head, cut);
  if (at == kNoCut) return ParseRanges(document, {whole}, first, kNoCut, error) == Outcome::kParsed;

  Outcome firstOutcome = Outcome::kFailed, secondOutcome = Outcome::kFailed;
  ContentError secondError;
  const auto firstHalf = [&] {
    bool told = false;
    const auto firstDone = [&](bool atCut) {
      told = true;
      if (cut.firstDone) cut.firstDone(atCut);
    };
    try {
      firstOutcome = ParseRanges(document, {whole}, first, at, error);
      if (firstOutcome == Outcome::kStopped) first.End(LocalName(head.rootName));
      firstDone(firstOutcome == Outcome::kStopped);
    } catch (...) {
      if (!told) firstDone(false);
      throw;
    }
  };
  const auto secondHalf = [&] {
    const auto secondDone = [&] {
      if (cut.secondDone) cut.secondDone();
    };
    try {
      secondOutcome = ParseRanges(document, {{0, head.end}, {at, document.size}}, second,
                                  kNoCut, secondError);
    } catch (...) {
      secondDone();
      throw;
    }
    secondDone();
  };
  // The halves hand over to each other as they go: one after the other, they would wait
  // for ever.
  if (!RunTogether(firstHalf, secondHalf)) {
    return ParseRanges(document, {whole}, first, kNoCut, error) == Outcome::kParsed;
  }
  if (firstOutcome != Outcome::kStopped) return firstOutcome == Outcome::kParsed;
  if (secondOutcome == Outcome::kParsed) {
    secondUsed = true;
    return true;
  }
  // The fault lies past the cut: the whole document read once more tells its line.
  NoHandler nothing;
  if (ParseRanges(document, {whole}, nothing, kNoCut, error) == Outcome::kParsed) error = secondError;
  return false;
}

}  // namespace qh
