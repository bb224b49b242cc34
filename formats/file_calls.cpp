#include "formats/file_calls.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
// Declared here to keep <windows.h> out of the portable core. The ANSI calls read names
// as fopen does (in the ANSI code page), and MoveFileExA replaces in one step where the
// C runtime's rename refuses an existing target.
extern "C" {
__declspec(dllimport) void* __stdcall CreateFileA(const char* name, unsigned long access,
                                                  unsigned long share, void* security,
                                                  unsigned long disposition,
                                                  unsigned long flags, void* templateFile);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* bytes, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) int __stdcall CloseHandle(void* handle);
__declspec(dllimport) int __stdcall MoveFileExA(const char* from, const char* to,
                                                unsigned long flags);
__declspec(dllimport) int __stdcall DeleteFileA(const char* name);
__declspec(dllimport) int __stdcall CreateHardLinkA(const char* name, const char* existing,
                                                    void* security);
__declspec(dllimport) int __stdcall FlushFileBuffers(void* file);
__declspec(dllimport) unsigned long __stdcall GetLastError(void);
}
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qh {

namespace {

#ifdef _WIN32
// The nearest C runtime code of a Windows error, for its wording.
int ErrnoOf(unsigned long windowsError) {
  switch (windowsError) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
      return ENOENT;
    case 5:    // ERROR_ACCESS_DENIED
    case 32:   // ERROR_SHARING_VIOLATION
    case 33:   // ERROR_LOCK_VIOLATION
      return EACCES;
    case 17:   // ERROR_NOT_SAME_DEVICE
      return EXDEV;
    case 19:   // ERROR_WRITE_PROTECT
      return EROFS;
    case 39:   // ERROR_HANDLE_DISK_FULL
    case 112:  // ERROR_DISK_FULL
      return ENOSPC;
    case 80:   // ERROR_FILE_EXISTS
    case 183:  // ERROR_ALREADY_EXISTS
      return EEXIST;
    case 1:    // ERROR_INVALID_FUNCTION (no hard links on this volume)
    case 50:   // ERROR_NOT_SUPPORTED
      return ENOSYS;
    case 206:  // ERROR_FILENAME_EXCED_RANGE
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

// Sets errno from the last Windows error and gives the POSIX failure value.
int Failed() {
  errno = ErrnoOf(GetLastError());
  return -1;
}

void* HandleOf(FileHandle file) { return reinterpret_cast<void*>(file); }

FileHandle SystemCreateNew(const char* path) {
  constexpr unsigned long kGenericWrite = 0x40000000;
  // Others may read it, and the console handler may delete it while it is open.
  constexpr unsigned long kShareReadDelete = 0x1 | 0x4;
  constexpr unsigned long kCreateNew = 1;
  constexpr unsigned long kNormal = 0x80;
  void* handle =
      CreateFileA(path, kGenericWrite, kShareReadDelete, nullptr, kCreateNew, kNormal, nullptr);
  if (handle == reinterpret_cast<void*>(kNoFile)) return Failed();
  return reinterpret_cast<FileHandle>(handle);
}

std::ptrdiff_t SystemWrite(FileHandle file, const void* bytes, std::size_t size) {
  constexpr std::size_t kLargest = std::size_t{1} << 30;
  unsigned long written = 0;
  const auto part = static_cast<unsigned long>(size < kLargest ? size : kLargest);
  if (WriteFile(HandleOf(file), bytes, part, &written, nullptr) == 0) return Failed();
  return static_cast<std::ptrdiff_t>(written);
}

int SystemClose(FileHandle file) { return CloseHandle(HandleOf(file)) != 0 ? 0 : Failed(); }

int SystemRename(const char* from, const char* to) {
  constexpr unsigned long kReplaceExisting = 1;  // MOVEFILE_REPLACE_EXISTING
  return MoveFileExA(from, to, kReplaceExisting) != 0 ? 0 : Failed();
}

int SystemRemove(const char* path) { return DeleteFileA(path) != 0 ? 0 : Failed(); }

int SystemLink(const char* existing, const char* name) {
  return CreateHardLinkA(name, existing, nullptr) != 0 ? 0 : Failed();
}

int SystemSync(FileHandle file) { return FlushFileBuffers(HandleOf(file)) != 0 ? 0 : Failed(); }

int SystemSyncFolder(const char*) { return 0; }
#else
FileHandle SystemCreateNew(const char* path) {
  return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

std::ptrdiff_t SystemWrite(FileHandle file, const void* bytes, std::size_t size) {
  return ::write(static_cast<int>(file), bytes, size);
}

int SystemClose(FileHandle file) { return ::close(static_cast<int>(file)); }
int SystemRename(const char* from, const char* to) { return std::rename(from, to); }
int SystemRemove(const char* path) { return ::unlink(path); }
int SystemLink(const char* existing, const char* name) { return ::link(existing, name); }

int SystemSync(FileHandle file) {
  int result;
  do result = ::fsync(static_cast<int>(file));
  while (result != 0 && errno == EINTR);
  return result;
}

int SystemSyncFolder(const char* folder) {
  const int handle = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return -1;
  const int result = SystemSync(handle);
  const int error = errno;
  ::close(handle);
  errno = error;
  return result;
}
#endif

constexpr FileCalls kSystemCalls{SystemCreateNew, SystemWrite, SystemClose, SystemRename,
                                 SystemRemove,    SystemLink,  SystemSync,  SystemSyncFolder};

std::atomic<const FileCalls*> current{&kSystemCalls};

}  // namespace

const FileCalls& SystemFileCalls() { return kSystemCalls; }

const FileCalls& CurrentFileCalls() { return *current.load(std::memory_order_acquire); }

void SetFileCallsForTest(const FileCalls* calls) {
  current.store(calls != nullptr ? calls : &kSystemCalls, std::memory_order_release);
}

}  // namespace qh
