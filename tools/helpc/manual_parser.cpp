#include "tools/helpc/manual_parser.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

#include "tools/helpc/context_hash.h"

namespace qh::help {
namespace {

constexpr std::string_view kFence = "```";

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// "12. text": the length of "12." when the line starts a numbered item.
std::size_t NumberLength(std::string_view line) {
  std::size_t digits = 0;
  while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
  if (digits == 0 || digits + 1 >= line.size()) return 0;
  return (line[digits] == '.' && line[digits + 1] == ' ') ? digits + 1 : 0;
}

class Parser {
 public:
  ParseResult Run(std::string_view source);

 private:
  void TakeLine(std::string_view line);
  void Directive(std::string_view line);
  void StartBlock(BlockKind kind, std::string_view text, std::string number = {});
  void FinishBlock();
  std::vector<Span> Spans(std::string_view text, int line);
  void ResolveJumps();
  bool NeedTopic();
  void Error(int line, const std::string& what);

  ParseResult result_;
  int line_ = 0;
  // The topic being read is the last one; none before the first @topic.
  Topic* Current() { return &result_.manual.topics.back(); }
  // The block being gathered: its kind, number, text so far and first line.
  std::optional<Block> open_;
  std::string openText_;
  bool inLines_ = false;
  Block lines_;
};

void Parser::Error(int line, const std::string& what) {
  result_.errors.push_back({line, what});
}

bool Parser::NeedTopic() {
  if (!result_.manual.topics.empty()) return true;
  Error(line_, "text before the first @topic");
  return false;
}

ParseResult Parser::Run(std::string_view source) {
  while (!source.empty()) {
    const std::size_t end = source.find('\n');
    const std::string_view line = source.substr(0, end);
    ++line_;
    TakeLine(line.substr(0, line.size() - (!line.empty() && line.back() == '\r')));
    source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
  }
  FinishBlock();
  if (inLines_) Error(lines_.line, "the lines started here have no closing ```");
  if (result_.manual.topics.empty()) Error(line_, "the manual has no @topic");
  ResolveJumps();
  std::stable_sort(result_.errors.begin(), result_.errors.end(),
                   [](const ManualError& a, const ManualError& b) { return a.line < b.line; });
  return std::move(result_);
}

void Parser::TakeLine(std::string_view line) {
  if (line.find('\t') != std::string_view::npos) {
    Error(line_, "a tab character: use blanks");
    return;
  }
  if (inLines_) {
    if (TrimBlanks(line) == kFence) {
      Current()->blocks.push_back(std::move(lines_));
      inLines_ = false;
    } else {
      lines_.spans.push_back({std::string(line), SpanStyle::kCode, {}});
    }
    return;
  }
  if (!line.empty() && line.front() == '%') return;
  const std::string_view text = TrimBlanks(line);
  if (text.empty()) {
    FinishBlock();
  } else if (text.front() == '@') {
    FinishBlock();
    Directive(text);
  } else if (text == kFence) {
    FinishBlock();
    if (!NeedTopic()) return;
    inLines_ = true;
    lines_ = Block{BlockKind::kLines, {}, {}, line_};
  } else if (text.substr(0, 2) == "- ") {
    StartBlock(BlockKind::kBullet, text.substr(2));
  } else if (const std::size_t number = NumberLength(text); number > 0) {
    StartBlock(BlockKind::kNumbered, text.substr(number + 1), std::string(text.substr(0, number)));
  } else if (open_) {
    openText_ += ' ';
    openText_ += text;
  } else {
    StartBlock(BlockKind::kParagraph, text);
  }
}

void Parser::Directive(std::string_view line) {
  const std::size_t blank = line.find(' ');
  const std::string_view word = line.substr(0, blank);
  const std::string_view rest =
      blank == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(blank + 1));
  if (word == "@title") {
    result_.manual.title = rest;
    result_.manual.titleLine = line_;
  } else if (word == "@copyright") {
    result_.manual.copyright = rest;
    result_.manual.copyrightLine = line_;
  } else if (word == "@heading") {
    if (rest.empty()) return Error(line_, "@heading without its text");
    StartBlock(BlockKind::kHeading, rest);
    FinishBlock();
  } else if (word == "@topic") {
    const std::size_t split = rest.find(' ');
    const std::string_view name = rest.substr(0, split);
    const std::string_view title =
        split == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(split + 1));
    if (!IsContextName(name)) {
      return Error(line_, "@topic needs a name of letters and digits, then the title");
    }
    if (title.empty()) return Error(line_, "@topic " + std::string(name) + " has no title");
    result_.manual.topics.push_back(Topic{std::string(name), std::string(title), {}, line_});
  } else {
    Error(line_, "unknown directive " + std::string(word));
  }
}

void Parser::StartBlock(BlockKind kind, std::string_view text, std::string number) {
  FinishBlock();
  if (!NeedTopic()) return;
  open_ = Block{kind, std::move(number), {}, line_};
  openText_ = text;
}

void Parser::FinishBlock() {
  if (!open_) return;
  open_->spans = Spans(openText_, open_->line);
  Current()->blocks.push_back(std::move(*open_));
  open_.reset();
  openText_.clear();
}

// Splits a block's text at its marks into spans of one style each.
std::vector<Span> Parser::Spans(std::string_view text, int line) {
  std::vector<Span> spans;
  SpanStyle style = SpanStyle::kPlain;
  std::string pending;
  const auto flush = [&] {
    if (!pending.empty()) spans.push_back({pending, style, {}});
    pending.clear();
  };
  const auto toggle = [&](SpanStyle mark) {
    flush();
    if (style == mark) {
      style = SpanStyle::kPlain;
    } else if (style == SpanStyle::kPlain) {
      style = mark;
    } else {
      Error(line, "** and ` cannot cross or nest");
    }
  };

  for (std::size_t at = 0; at < text.size();) {
    if (text.substr(at, 2) == "**") {
      toggle(SpanStyle::kBold);
      at += 2;
    } else if (text[at] == '`') {
      toggle(SpanStyle::kCode);
      at += 1;
    } else if (text.substr(at, 2) == "[[") {
      const std::size_t close = text.find("]]", at + 2);
      if (close == std::string_view::npos) {
        Error(line, "[[ without its ]]");
        return spans;
      }
      flush();
      const std::string_view inside = text.substr(at + 2, close - at - 2);
      const std::size_t bar = inside.find('|');
      if (bar == 0 || inside.empty()) Error(line, "a jump without the name of its topic");
      Span jump{std::string(bar == std::string_view::npos ? std::string_view() : inside.substr(bar + 1)),
                style, std::string(inside.substr(0, bar))};
      spans.push_back(std::move(jump));
      at = close + 2;
    } else {
      pending += text[at++];
    }
  }
  flush();
  if (style == SpanStyle::kBold) Error(line, "** without its closing **");
  if (style == SpanStyle::kCode) Error(line, "` without its closing `");
  return spans;
}

// Every jump must lead to a topic; a jump without its own text shows the topic's title.
// Names differing in case only, or sharing a hash, could not be told apart by a viewer.
void Parser::ResolveJumps() {
  std::map<std::int32_t, const Topic*> byHash;
  for (const Topic& topic : result_.manual.topics) {
    const auto [it, fresh] = byHash.emplace(ContextHash(topic.name), &topic);
    if (!fresh) {
      Error(topic.line, "topic " + topic.name + " cannot be told from topic " + it->second->name +
                            " of line " + std::to_string(it->second->line));
    }
  }
  for (Topic& topic : result_.manual.topics) {
    for (Block& block : topic.blocks) {
      for (Span& span : block.spans) {
        if (span.jumpTo.empty()) continue;
        const Topic* target = nullptr;
        if (IsContextName(span.jumpTo)) {
          const auto it = byHash.find(ContextHash(span.jumpTo));
          if (it != byHash.end() && it->second->name == span.jumpTo) target = it->second;
        }
        if (target == nullptr) {
          Error(block.line, "a jump to " + span.jumpTo + ", which is no topic's name");
          continue;
        }
        if (span.text.empty()) span.text = target->title;
      }
    }
  }
}

}  // namespace

ParseResult ParseManual(std::string_view source) { return Parser().Run(source); }

}  // namespace qh::help
