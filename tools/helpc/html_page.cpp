#include "tools/helpc/html_page.h"

#include <string_view>

namespace qh::help {
namespace {

constexpr std::string_view kStyle =
    "body { font-family: Arial, Helvetica, sans-serif; max-width: 48em; margin: 1em auto;"
    " padding: 0 1em; line-height: 1.4; }\n"
    "section { margin-bottom: 2em; }\n"
    "h2 { border-top: 1px solid #bbb; padding-top: 0.8em; }\n"
    "pre { background: #f3f3f3; padding: 0.4em 0.8em; overflow-x: auto; }\n";

void AppendSpans(std::string& out, const std::vector<Span>& spans) {
  for (const Span& span : spans) {
    if (!span.jumpTo.empty()) out += "<a href=\"#" + span.jumpTo + "\">";
    if (span.style == SpanStyle::kBold) out += "<strong>";
    if (span.style == SpanStyle::kCode) out += "<code>";
    out += HtmlEscaped(span.text);
    if (span.style == SpanStyle::kCode) out += "</code>";
    if (span.style == SpanStyle::kBold) out += "</strong>";
    if (!span.jumpTo.empty()) out += "</a>";
  }
}

// The list a block belongs to ("ul", "ol"), or empty for a block outside lists.
std::string_view ListOf(BlockKind kind) {
  if (kind == BlockKind::kBullet) return "ul";
  if (kind == BlockKind::kNumbered) return "ol";
  return {};
}

void AppendBlock(std::string& out, const Block& block) {
  switch (block.kind) {
    case BlockKind::kParagraph:
      out += "<p>";
      AppendSpans(out, block.spans);
      out += "</p>\n";
      return;
    case BlockKind::kHeading:
      out += "<h3>";
      AppendSpans(out, block.spans);
      out += "</h3>\n";
      return;
    case BlockKind::kBullet:
      out += "<li>";
      AppendSpans(out, block.spans);
      out += "</li>\n";
      return;
    case BlockKind::kNumbered:
      // "12." is item 12, whatever came before it.
      out += "<li value=\"" + block.number.substr(0, block.number.size() - 1) + "\">";
      AppendSpans(out, block.spans);
      out += "</li>\n";
      return;
    case BlockKind::kLines:
      out += "<pre>";
      for (const Span& line : block.spans) out += HtmlEscaped(line.text) + "\n";
      out += "</pre>\n";
      return;
  }
}

void AppendTag(std::string& out, std::string_view name, bool closing) {
  out += closing ? "</" : "<";
  out += name;
  out += '>';
}

void AppendTopic(std::string& out, const Topic& topic, bool first) {
  const std::string_view heading = first ? "h1" : "h2";
  out += "<section id=\"" + topic.name + "\">\n";
  AppendTag(out, heading, false);
  out += HtmlEscaped(topic.title);
  AppendTag(out, heading, true);
  out += '\n';
  std::string_view openList;
  for (const Block& block : topic.blocks) {
    const std::string_view list = ListOf(block.kind);
    if (list != openList) {
      if (!openList.empty()) AppendTag(out, openList, true), out += '\n';
      if (!list.empty()) AppendTag(out, list, false), out += '\n';
      openList = list;
    }
    AppendBlock(out, block);
  }
  if (!openList.empty()) AppendTag(out, openList, true), out += '\n';
  out += "</section>\n";
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string WriteHtmlPage(const Manual& manual) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  out += "<title>" + HtmlEscaped(manual.title) + "</title>\n";
  out += "<style>\n" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  for (std::size_t i = 0; i < manual.topics.size(); ++i) AppendTopic(out, manual.topics[i], i == 0);
  if (!manual.copyright.empty()) out += "<footer><p>" + HtmlEscaped(manual.copyright) + "</p></footer>\n";
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace qh::help
