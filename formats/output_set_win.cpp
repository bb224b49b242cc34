// The lock file of an output set on Windows: LockFileEx, which the system lets go when
// the process ends however it ends. The file is shared for deletion, so that its
// holder can remove the name while it still holds it; others cannot open it then.
#include <windows.h>

#include <cerrno>

#include "formats/file_calls_system.h"
#include "formats/output_set.h"


namespace qh::lock_file {

namespace {

HANDLE HandleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

bool ToStart(HANDLE file) {
  return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

}  // namespace

Result TryLock(const char* path, FileHandle& handle) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Being removed by its holder.
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) return Result::kBusy;
    errno = ErrnoOfLastError();
    return Result::kFailed;
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

bool ReadAll(FileHandle handle, std::string& bytes) {
  HANDLE file = HandleOf(handle);
  bytes.clear();
  if (!ToStart(file)) return false;
  char chunk[4096];
  for (;;) {
    DWORD got = 0;
    if (ReadFile(file, chunk, sizeof chunk, &got, nullptr) == 0) return false;
    if (got == 0) return true;
    bytes.append(chunk, got);
  }
}

void Release(const char* path, FileHandle handle) {
  DeleteFileA(path);
  CloseHandle(HandleOf(handle));
}

void Close(FileHandle handle) { CloseHandle(HandleOf(handle)); }

}  // namespace qh::lock_file
