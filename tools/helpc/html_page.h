// The manual as one HTML page (UTF-8), for systems without a WinHelp viewer: each
// topic a section with its context name as the id, jumps as links within the page.
#pragma once

#include <string>

#include "tools/helpc/manual.h"

namespace qh::help {

std::string WriteHtmlPage(const Manual& manual);

// `text` with &, <, > and " written as character references.
std::string HtmlEscaped(std::string_view text);

}  // namespace qh::help
