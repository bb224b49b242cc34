// IOsFileCopy: copies a file, overwriting the target; a folder target receives the
// source's file name.
#include <windows.h>

#include <string>

#include "os_services.h"
#include "services/errors.h"
#include "services/os.h"
#include "core/error_codes.h"

namespace qh {
namespace {
constexpr std::size_t kNameLength = kCopyNameLimit + 1;  // with its NUL

void ReportTooLong() {
  os::KeepSystemError(ERROR_FILENAME_EXCED_RANGE);
  IErReport(kErrOsCommand);
}
}  // namespace

void IOsFileCopy(std::string_view source, std::string_view target) {
  if (os::OsSignificantLength(source) == 0) return;

  // A name cut to the working length would copy from or onto some other file.
  const std::optional<std::string> from = os::OsText(source, kNameLength);
  std::optional<std::string> to = os::OsText(target, kNameLength);
  if (!from || !to) return ReportTooLong();

  if (to->empty() || to->back() == '\\' || to->back() == ':') {
    to->append(os::FileNamePart(*from));
    if (to->size() + 1 > kNameLength) return ReportTooLong();
  }

  // Exact comparison only: names differing in case go to the system copy.
  if (*from == *to) {
    IErReport(kErrSameCopyNames);
    return;
  }

  if (!CopyFileA(from->c_str(), to->c_str(), FALSE)) {
    os::KeepSystemError(static_cast<int>(GetLastError()));
    IErReport(kErrOsCommand);
  }
}

}  // namespace qh
