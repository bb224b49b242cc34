#include <expat.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string>

#include "formats/run_both.h"
#include "formats/text_encoding.h"
#include "formats/xml_events.h"
#include "numeric/ascii.h"

namespace qh {
namespace {

// Expat takes its input in pieces; any size a piece may have would do.
constexpr std::size_t kPiece = std::size_t{1} << 20;
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
      context.attributes.emplace_back(LocalName(a[0]), a[1]);
    }
    context.handler.Start(LocalName(name), context.attributes);
  });
  FollowTextWish(context);
}

void OnEnd(void* data, const XML_Char* name) {
  auto& context = *static_cast<Context*>(data);
  if (context.stopped) return;  // the end of an empty element stopped at
  --context.depth;
  CallHandler(context, [&] { context.handler.End(LocalName(name)); });
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

// Parses the pieces as one document, ending early (kStopped) at `stopAt` when a
// top-level element starts there.
Outcome ParsePieces(std::initializer_list<std::string_view> pieces, XmlHandler& handler,
                    std::size_t stopAt, ContentError& error) {
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
  const std::string_view* lastPiece = pieces.end() - 1;
  for (const std::string_view& piece : pieces) {
    std::size_t at = 0;
    do {
      const std::size_t size = std::min(kPiece, piece.size() - at);
      const bool last = &piece == lastPiece && at + size == piece.size();
      if (XML_Parse(parser.get(), piece.data() + at, static_cast<int>(size), last ? 1 : 0) !=
          XML_STATUS_OK) {
        if (context.thrown) std::rethrow_exception(context.thrown);
        if (context.stopped) return Outcome::kStopped;
        error = {};
        error.line = static_cast<std::size_t>(XML_GetCurrentLineNumber(parser.get()));
        error.what = XML_ErrorString(XML_GetErrorCode(parser.get()));
        return Outcome::kFailed;
      }
      at += size;
    } while (at < piece.size());
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

Head FindHead(std::string_view document) {
  Head head;
  const Parser parser = NewParser();
  if (!parser) return head;
  std::pair<XML_Parser, Head*> data{parser.get(), &head};
  XML_SetUserData(parser.get(), &data);
  XML_SetStartElementHandler(parser.get(), OnRootStart);
  constexpr std::size_t kStep = std::size_t{64} * 1024;
  for (std::size_t at = 0; at < document.size() && head.end == kNoCut; at += kStep) {
    const std::size_t size = std::min(kStep, document.size() - at);
    if (XML_Parse(parser.get(), document.data() + at, static_cast<int>(size), 0) != XML_STATUS_OK) {
      break;
    }
  }
  // An empty root ("<gpx/>") has no content to cut.
  if (head.end != kNoCut && head.end >= 2 && document.substr(head.end - 2, 2) == "/>") {
    head.end = kNoCut;
  }
  return head;
}

// The first "<NAME" past the share of the document `cut` names, NAME with the root's
// prefix.
std::size_t FindCut(std::string_view document, const Head& head, const XmlCut& cut) {
  const std::size_t colon = head.rootName.rfind(':');
  const std::string tag = "<" +
                          (colon == std::string::npos ? std::string()
                                                      : head.rootName.substr(0, colon + 1)) +
                          std::string(cut.name);
  const auto notBefore = static_cast<std::size_t>(static_cast<double>(document.size()) * cut.notBefore);
  for (std::size_t at = std::max(head.end, notBefore);;) {
    at = document.find(tag, at);
    if (at == std::string_view::npos || at + tag.size() >= document.size()) return kNoCut;
    const char next = document[at + tag.size()];
    if (next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '>' || next == '/') {
      return at;
    }
    at += tag.size();
  }
}

class NoHandler : public XmlHandler {
 public:
  void Start(std::string_view, const XmlAttributes&) override {}
  void Text(std::string_view) override {}
  void End(std::string_view) override {}
};

}  // namespace

bool ParseXml(std::string_view document, XmlHandler& handler, ContentError& error) {
  return ParsePieces({document}, handler, kNoCut, error) == Outcome::kParsed;
}

// The second half starts from the document's own prolog and root start tag, so its
// entities, namespaces and encoding are those of the whole. The first half runs to the
// cut only when the parser itself meets the cut as a start tag at the top level:
// a cut that falls in a comment, a CDATA section or a nested element is passed by,
// and the first half simply goes on to the end.
bool ParseXmlInTwo(std::string_view document, const XmlCut& cut, XmlHandler& first,
                   XmlHandler& second, bool& secondUsed, ContentError& error) {
  secondUsed = false;
  const Head head = document.size() >= cut.twoThreadsFrom ? FindHead(document) : Head{};
  const std::size_t at = head.end == kNoCut ? kNoCut : FindCut(document, head, cut);
  if (at == kNoCut) return ParseXml(document, first, error);

  Outcome firstOutcome = Outcome::kFailed, secondOutcome = Outcome::kFailed;
  ContentError secondError;
  const auto secondDone = [&] {
    if (cut.secondDone) cut.secondDone();
  };
  RunBoth(
      [&] {
        firstOutcome = ParsePieces({document}, first, at, error);
        if (firstOutcome != Outcome::kStopped) return;
        first.End(LocalName(head.rootName));
        if (cut.firstDone) cut.firstDone();
      },
      [&] {
        try {
          secondOutcome = ParsePieces({document.substr(0, head.end), document.substr(at)}, second,
                                      kNoCut, secondError);
        } catch (...) {
          secondDone();
          throw;
        }
        secondDone();
      });
  if (firstOutcome != Outcome::kStopped) return firstOutcome == Outcome::kParsed;
  if (secondOutcome == Outcome::kParsed) {
    secondUsed = true;
    return true;
  }
  // The fault lies past the cut: the whole document read once more tells its line.
  NoHandler nothing;
  if (ParseXml(document, nothing, error)) error = secondError;
  return false;
}

}  // namespace qh
