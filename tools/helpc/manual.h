// The manual as the writers see it: topics of blocks (paragraphs, headings, list
// items, lines shown as written), each block a run of spans. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace qh::help {

enum class SpanStyle { kPlain, kBold, kCode };

struct Span {
  std::string text;
  SpanStyle style = SpanStyle::kPlain;
  std::string jumpTo;  // the context name of the topic this text leads to, or empty
};

enum class BlockKind {
  kParagraph,
  kHeading,   // a heading inside a topic
  kBullet,    // a list item with a bullet
  kNumbered,  // a list item with its number
  kLines,     // lines kept as written (commands, the texts of message boxes): one span a line
};

struct Block {
  BlockKind kind = BlockKind::kParagraph;
  std::string number;  // kNumbered: the number as written, "1."
  std::vector<Span> spans;
  int line = 0;  // where the block starts in the manual's source
};

struct Topic {
  std::string name;  // the context name: letters and digits
  std::string title;
  std::vector<Block> blocks;
  int line = 0;
};

// A fault of the manual's source, at its line.
struct ManualError {
  int line = 0;
  std::string message;
};

struct Manual {
  std::string title;      // the help file's title, shown in the viewer's caption
  std::string copyright;  // shown by the viewer's About box
  int titleLine = 0;      // where they were given
  int copyrightLine = 0;
  std::vector<Topic> topics;  // the first is the contents page
};

}  // namespace qh::help
