// IOsFileDelete: deletes every plain file matching a name that may hold wildcards;
// matching folders are left alone.
#include <windows.h>

#include <string>

#include "os_services.h"
#include "services/errors.h"
#include "services/os.h"
#include "core/error_codes.h"

namespace qh {
namespace {
constexpr std::size_t kNameLength = 255;

void ReportSystemError(DWORD number) {
  os::KeepSystemError(static_cast<int>(number));
  IErReport(kErrOsCommand);
}

// The folder the matches live in. The system also accepts "/" between folders; a
// name like C:/tmp/*.asc must not make us delete same-named files in the current
// folder instead.
std::string_view MatchFolder(std::string_view pattern) {
  const std::size_t cut = pattern.find_last_of("\\:/");
  return cut == std::string_view::npos ? std::string_view{} : pattern.substr(0, cut + 1);
}
}  // namespace

void IOsFileDelete(std::string_view name) {
  if (os::OsSignificantLength(name) == 0) return;
  // A cut pattern could match, and delete, files the caller never named.
  const std::optional<std::string> pattern = os::OsText(name, kNameLength);
  if (!pattern) return ReportSystemError(ERROR_FILENAME_EXCED_RANGE);

  const std::string folder(MatchFolder(*pattern));
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern->c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return ReportSystemError(GetLastError());

  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = folder + entry.cFileName;
    if (!DeleteFileA(path.c_str())) ReportSystemError(GetLastError());
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

}  // namespace qh
