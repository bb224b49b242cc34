#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <string>

#include "tools/common/console_text.h"

namespace qh::tools {
namespace {

// The device behind `stream` when it is a character device (a console, or NUL), else
// null: a file or a pipe. (Whether it is a console is for WriteConsoleW to tell: asking
// its mode needs a read access that a handle opened to write does not have.)
HANDLE LookUpDevice(std::FILE* stream) {
  // A program started without standard handles (detached) has no descriptor to ask for.
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_CHAR) {
    return nullptr;
  }
  return handle;
}

// Standard output's and standard error's are looked up once: a file of bad lines can
// make a message a line.
HANDLE DeviceOf(std::FILE* stream) {
  if (stream == stdout) {
    static const HANDLE device = LookUpDevice(stdout);
    return device;
  }
  if (stream == stderr) {
    static const HANDLE device = LookUpDevice(stderr);
    return device;
  }
  return LookUpDevice(stream);
}

enum class ConsoleWrite { kNoConsole, kDone, kFailed };

// The text as the letters its bytes stand for in `codePage`; kNoConsole, with nothing
// written, when the device is no console.
ConsoleWrite WriteToConsole(HANDLE device, std::string_view text, UINT codePage) {
  const int units = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (units <= 0) return ConsoleWrite::kNoConsole;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  // In pieces a console of any Windows takes, none ending inside a pair of surrogates.
  constexpr std::size_t kPiece = 8192;
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t size = std::min(kPiece, wide.size() - at);
    if (at + size < wide.size() && IS_HIGH_SURROGATE(wide[at + size - 1])) --size;
    DWORD written = 0;
    if (WriteConsoleW(device, wide.data() + at, static_cast<DWORD>(size), &written, nullptr) == 0) {
      return at == 0 ? ConsoleWrite::kNoConsole : ConsoleWrite::kFailed;
    }
    at += size;
  }
  return ConsoleWrite::kDone;
}

}  // namespace

void Print(std::FILE* stream, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const HANDLE device = DeviceOf(stream);
  if (device == nullptr) {
    std::vfprintf(stream, format, arguments);
    va_end(arguments);
    return;
  }
  std::va_list again;
  va_copy(again, arguments);
  const int size = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  // What the stream holds comes first; a device that is no console gets the bytes.
  std::fflush(stream);
  if (!text.empty() && WriteToConsole(device, text, CP_UTF8) == ConsoleWrite::kNoConsole) {
    std::fputs(text.c_str(), stream);
  }
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool WriteText(std::FILE* stream, std::string_view text, TextBytes bytes) {
  const HANDLE device = DeviceOf(stream);
  if (device != nullptr && !text.empty()) {
    std::fflush(stream);
    switch (WriteToConsole(device, text, bytes == TextBytes::kUtf8 ? CP_UTF8 : 1252)) {
      case ConsoleWrite::kDone:
        return true;
      case ConsoleWrite::kFailed:
        errno = EIO;
        return false;
      case ConsoleWrite::kNoConsole:
        break;
    }
  }
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace qh::tools
