#include "tools/helpc/help_text.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "tools/helpc/code_page.h"

namespace qh::help {

std::string HelpText(std::string_view text, int line) {
  char32_t missing = 0;
  std::optional<std::string> converted = ToWindows1252(text, &missing);
  const auto error = [line](const std::string& what) { return ManualTextError(line, what); };
  if (!converted) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(missing));
    throw error(missing == 0xFFFD ? "the text is not UTF-8"
                                  : std::string("the character ") + code + " has no Windows-1252 byte");
  }
  if (std::any_of(converted->begin(), converted->end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    throw error("a control character in the text");
  }
  return *converted;
}

}  // namespace qh::help
