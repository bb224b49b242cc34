// The lock file of an output set on Windows: LockFileEx, which the system lets go when
// the process ends however it ends. The file is shared for deletion, so that its
// holder can remove the name while it still holds it; others cannot open it then.
#include <cerrno>

#include "formats/output_set.h"

extern "C" {
struct QhOverlapped {  // OVERLAPPED
  unsigned long* internal;
  unsigned long* internalHigh;
  unsigned long offset, offsetHigh;
  void* event;
};
__declspec(dllimport) void* __stdcall CreateFileA(const char* name, unsigned long access,
                                                  unsigned long share, void* security,
                                                  unsigned long disposition,
                                                  unsigned long flags, void* templateFile);
__declspec(dllimport) int __stdcall LockFileEx(void* file, unsigned long flags,
                                               unsigned long reserved, unsigned long low,
                                               unsigned long high, QhOverlapped* overlapped);
__declspec(dllimport) unsigned long __stdcall SetFilePointer(void* file, long distance,
                                                            long* high, unsigned long method);
__declspec(dllimport) int __stdcall SetEndOfFile(void* file);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* bytes, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) int __stdcall ReadFile(void* file, void* bytes, unsigned long size,
                                             unsigned long* got, void* overlapped);
__declspec(dllimport) int __stdcall FlushFileBuffers(void* file);
__declspec(dllimport) int __stdcall DeleteFileA(const char* name);
__declspec(dllimport) int __stdcall CloseHandle(void* handle);
__declspec(dllimport) unsigned long __stdcall GetLastError(void);
}

namespace qh::lock_file {

namespace {

void* HandleOf(FileHandle file) { return reinterpret_cast<void*>(file); }

bool ToStart(void* file) {
  constexpr unsigned long kFileBegin = 0;
  constexpr unsigned long kInvalidPosition = 0xFFFFFFFF;
  return SetFilePointer(file, 0, nullptr, kFileBegin) != kInvalidPosition;
}

}  // namespace

Result TryLock(const char* path, FileHandle& handle) {
  constexpr unsigned long kReadWrite = 0x80000000 | 0x40000000;
  constexpr unsigned long kShareAll = 0x1 | 0x2 | 0x4;
  constexpr unsigned long kOpenAlways = 4;
  constexpr unsigned long kNormal = 0x80;
  constexpr unsigned long kExclusiveNow = 0x2 | 0x1;  // EXCLUSIVE_LOCK | FAIL_IMMEDIATELY
  void* file = CreateFileA(path, kReadWrite, kShareAll, nullptr, kOpenAlways, kNormal, nullptr);
  if (file == reinterpret_cast<void*>(-1)) {
    const unsigned long error = GetLastError();
    if (error == 5 || error == 32) return Result::kBusy;  // being removed by its holder
    errno = error == 3 ? ENOENT : EIO;
    return Result::kFailed;
  }
  // A byte far past the journal's end, so that the holder's own reads and writes of
  // the journal are not in the locked range.
  QhOverlapped where{};
  where.offsetHigh = 0x7FFFFFFF;
  if (LockFileEx(file, kExclusiveNow, 0, 1, 0, &where) == 0) {
    CloseHandle(file);
    return Result::kBusy;
  }
  handle = reinterpret_cast<FileHandle>(file);
  return Result::kTaken;
}

bool Rewrite(FileHandle handle, const std::string& bytes, bool flush) {
  void* file = HandleOf(handle);
  if (!ToStart(file)) return false;
  unsigned long written = 0;
  const auto size = static_cast<unsigned long>(bytes.size());
  if (size > 0 && (WriteFile(file, bytes.data(), size, &written, nullptr) == 0 || written != size))
    return false;
  // The end goes where the new bytes end.
  if (SetEndOfFile(file) == 0) return false;
  return !flush || FlushFileBuffers(file) != 0;
}

bool ReadAll(FileHandle handle, std::string& bytes) {
  void* file = HandleOf(handle);
  bytes.clear();
  if (!ToStart(file)) return false;
  char chunk[4096];
  for (;;) {
    unsigned long got = 0;
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
