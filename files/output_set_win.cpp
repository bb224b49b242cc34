// The lock file of an output set on Windows: LockFileEx, which the system lets go when
// the process ends however it ends. The file is shared for deletion, so that its
// holder can remove the name while it still holds it; others cannot open it then.
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "files/file_calls_system.h"
#include "files/output_set.h"

namespace qh::lock_file {

namespace {

HANDLE HandleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

bool ToStart(HANDLE file) {
  return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

// Why a name with these attributes is not a journal this program makes; null when it
// is not there or is a plain file.
const char* NotAFile(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return nullptr;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return "it is a link or a junction";
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "it is not a regular file";
  return nullptr;
}

// Why the file open as `file` cannot be a journal this program made; null when it can.
const char* NotOurs(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION facts;
  if (GetFileInformationByHandle(file, &facts) == 0) return "it cannot be looked at";
  if (const char* why = NotAFile(facts.dwFileAttributes)) return why;
  if (GetFileType(file) != FILE_TYPE_DISK) return "it is not a regular file";
  // A second name could be any file of the user's, which a rewrite would overwrite.
  if (facts.nNumberOfLinks > 1) return "it has another name too";
  return nullptr;
}

}  // namespace

Result TryLock(const char* path, FileHandle& handle, const char*& why) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  // The name itself, never what a link or junction under it points to.
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A folder does not open as a file: refused as such.
    why = NotAFile(GetFileAttributesA(path));
    if (why != nullptr) return Result::kForeign;
    // Being removed by its holder.
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) return Result::kBusy;
    SetLastError(error);
    errno = ErrnoOfLastError();
    return Result::kFailed;
  }
  why = NotOurs(file);
  if (why != nullptr) {
    CloseHandle(file);
    return Result::kForeign;
  }
  // A byte far past the journal's end, so that the holder's own reads and writes of
  // the journal are not in the locked range.
  OVERLAPPED where{};
  where.OffsetHigh = 0x7FFFFFFF;
  if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) == 0) {
    CloseHandle(file);
    return Result::kBusy;
  }
  handle = reinterpret_cast<FileHandle>(file);
  return Result::kTaken;
}

bool Rewrite(FileHandle handle, const std::string& bytes, bool flush) {
  HANDLE file = HandleOf(handle);
  if (!ToStart(file)) return false;
  DWORD written = 0;
  const auto size = static_cast<DWORD>(bytes.size());
  if (size > 0 && (WriteFile(file, bytes.data(), size, &written, nullptr) == 0 || written != size))
    return false;
  // The end goes where the new bytes end.
  if (SetEndOfFile(file) == 0) return false;
  return !flush || FlushFileBuffers(file) != 0;
}

bool Read(FileHandle handle, std::string& bytes, std::size_t most) {
  HANDLE file = HandleOf(handle);
  bytes.clear();
  if (!ToStart(file)) return false;
  char chunk[4096];
  while (bytes.size() < most) {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, most - bytes.size()));
    if (ReadFile(file, chunk, wanted, &got, nullptr) == 0) return false;
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  return true;
}

void Release(const char* path, FileHandle handle) {
  DeleteFileA(path);
  CloseHandle(HandleOf(handle));
}

void Close(FileHandle handle) { CloseHandle(HandleOf(handle)); }

}  // namespace qh::lock_file
