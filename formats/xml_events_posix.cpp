#include <expat.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "formats/xml_events.h"

namespace qh {
namespace {

// Expat takes its input in pieces; any size a piece may have would do.
constexpr std::size_t kPiece = std::size_t{1} << 20;

struct Context {
  XmlHandler& handler;
  XmlAttributes attributes;
};

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& context = *static_cast<Context*>(data);
  context.attributes.clear();
  for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
    context.attributes.emplace_back(LocalName(a[0]), a[1]);
  }
  context.handler.Start(LocalName(name), context.attributes);
}

void OnEnd(void* data, const XML_Char* name) {
  static_cast<Context*>(data)->handler.End(LocalName(name));
}

void OnText(void* data, const XML_Char* text, int length) {
  const std::string_view piece(text, static_cast<std::size_t>(length));
  static_cast<Context*>(data)->handler.Text(piece);
}

}  // namespace

bool ParseXml(std::string_view document, XmlHandler& handler, std::string& error) {
  const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(
      XML_ParserCreate("UTF-8"), XML_ParserFree);
  if (!parser) {
    error = "out of memory";
    return false;
  }
  Context context{handler, {}};
  XML_SetUserData(parser.get(), &context);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  std::size_t at = 0;
  do {
    const std::size_t size = std::min(kPiece, document.size() - at);
    const bool last = at + size == document.size();
    if (XML_Parse(parser.get(), document.data() + at, static_cast<int>(size), last ? 1 : 0) !=
        XML_STATUS_OK) {
      error = "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
              XML_ErrorString(XML_GetErrorCode(parser.get()));
      return false;
    }
    at += size;
  } while (at < document.size());
  return true;
}

}  // namespace qh
