// Which file a name leads to, on Windows: the volume and the file's index.
#include <windows.h>

#include <cerrno>

#include "files/file_calls_system.h"
#include "tools/common/file_identity.h"

namespace qh::tools {

bool LookAt(const std::string& path, FileFacts& facts) {
  facts = FileFacts{};
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  // Backup semantics let a folder be opened.
  HANDLE handle = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Absent; a name no file can have ("*.asc" of a pattern that matched nothing) too.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME) {
      return true;
    }
    errno = ErrnoOfLastError();
    return false;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(handle, &information) != 0;
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  if (type != FILE_TYPE_DISK) {  // a device (NUL, CON) or a pipe
    facts.kind = FileKind::kOther;
    return true;
  }
  if (!known) {
    errno = EIO;
    return false;
  }
  facts.kind = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                   ? FileKind::kFolder
                   : FileKind::kRegular;
  facts.readOnly = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  facts.device = information.dwVolumeSerialNumber;
  facts.index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  return true;
}

}  // namespace qh::tools
