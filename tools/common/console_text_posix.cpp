#include <unistd.h>

#include <cstdarg>

#include "tools/common/console_text.h"

namespace qh::tools {

void Print(std::FILE* stream, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stream, format, arguments);
  va_end(arguments);
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

bool WriteText(std::FILE* stream, std::string_view text, TextBytes) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace qh::tools
