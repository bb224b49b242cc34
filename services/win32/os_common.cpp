// Texts on their way to the system, and the name and folder helpers shared by the OS
// services.
#include <string>

#include "os_services.h"
#include "core/error_state.h"
#include "services/os.h"

namespace qh::os {

std::size_t OsSignificantLength(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0')) --n;
  return n;
}

std::optional<std::string> OsText(std::string_view text, std::size_t workingLength) {
  const std::size_t n = OsSignificantLength(text);
  if (n + 1 > workingLength) return std::nullopt;
  return std::string(text.substr(0, n));
}

std::string_view FolderPart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\:");
  return cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut + 1);
}

std::string_view FileNamePart(std::string_view path) {
  return path.substr(FolderPart(path).size());
}

void KeepSystemError(int number) { SetLastSystemError(number); }

bool IsFile(const std::string& name) {
  if (name.empty()) return false;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& name) {
  if (name.empty()) return false;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace qh::os

namespace qh {

SystemVersion IOsSystemVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return {};
  return {static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion)};
}

}  // namespace qh
