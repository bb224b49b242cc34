#include <io.h>
#include <windows.h>

#include <cstdarg>
#include <string>

#include "tools/common/console_text.h"

namespace qh::tools {
namespace {

// The device behind `stream` when it is a character device (a console, or NUL), else
// null: a file or a pipe. (Whether it is a console is for WriteConsoleW to tell: asking
// its mode needs a read access that a handle opened to write does not have.)
HANDLE LookUpDevice(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_CHAR) return nullptr;
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

// The UTF-8 text as the letters it holds; false, with nothing written, when the device
// is no console.
bool WriteToConsole(HANDLE device, const std::string& text) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  DWORD written = 0;
  return WriteConsoleW(device, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0 ||
         written != 0;
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
  if (!text.empty() && !WriteToConsole(device, text)) std::fputs(text.c_str(), stream);
}

}  // namespace qh::tools
