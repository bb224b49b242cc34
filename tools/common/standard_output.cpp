#include "tools/common/standard_output.h"
#include "tools/common/console_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qh::tools {

bool StandardOutputDone(const char* tool) {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  Print(stderr, "%s: cannot write to standard output: %s\n", tool,
               std::strerror(errno != 0 ? errno : EIO));
  return false;
}

std::string Shown(std::string_view name) {
  bool plain = true;
  for (const char c : name) plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
  if (plain) return std::string(name);
  static const char kDigits[] = "0123456789abcdef";
  std::string shown = "\"";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '"' || c == '\\') {
      shown += '\\';
      shown += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown + "\"";
}

}  // namespace qh::tools
