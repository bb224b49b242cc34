#include "tools/helpc/code_page.h"

#include "formats/text_encoding.h"

namespace qh::help {

std::optional<std::string> ToWindows1252(std::string_view utf8, char32_t* missing) {
  constexpr char32_t kBroken = 0xFFFD;
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = NextUtf8Character(utf8, at);
    // The overlays' encoder writes "?" for what the code page lacks: the manual's
    // compiler refuses it instead, so that no page says "?" where a word was.
    const char byte = c == kBroken ? '?' : Windows1252Byte(c);
    if (byte == '?' && c != U'?') {
      if (missing != nullptr) *missing = c;
      return std::nullopt;
    }
    out.push_back(byte);
  }
  return out;
}

}  // namespace qh::help
