// Reads the manual's source, a small line-based markup:
//
//   % a comment                 a line starting with % is left out
//   @title TEXT                 the help file's title (the viewer's caption)
//   @copyright TEXT             the line the viewer's About box shows
//   @topic NAME TITLE           starts a topic; NAME (letters and digits) is the name
//                               jumps use; the first topic is the contents page
//   @heading TEXT               a heading inside a topic
//   - TEXT                      a list item with a bullet
//   1. TEXT                     a list item with its number
//   ```                         a line of three backquotes starts and ends lines that are
//                               shown as written, one by one
//
// Other lines are paragraph text; a paragraph or list item goes on over the following
// lines up to a blank line or the next item. Within text: **bold**, `code`, and
// [[NAME]] or [[NAME|text]], a jump to the topic NAME showing its title or the text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/helpc/manual.h"

namespace qh::help {

struct ParseResult {
  Manual manual;
  std::vector<ManualError> errors;  // in the order of the lines; the manual is good without any
};

ParseResult ParseManual(std::string_view source);

}  // namespace qh::help
