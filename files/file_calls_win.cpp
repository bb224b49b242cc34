// The file calls on Windows. The ANSI calls read names as fopen does (in the ANSI code
// page), and MoveFileExA replaces in one step where the C runtime's rename refuses an
// existing target.
#include <windows.h>

#include <cerrno>

#include "files/file_calls_system.h"

namespace qh {

namespace {

// Sets errno from the last Windows error and gives the POSIX failure value.
int Failed() {
  errno = ErrnoOfLastError();
  return -1;
}

HANDLE HandleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// What one call reads or writes of `size` bytes: at most 1 GiB, which a DWORD holds.
DWORD PartOf(std::size_t size) {
  constexpr std::size_t kLargest = std::size_t{1} << 30;
  return static_cast<DWORD>(size < kLargest ? size : kLargest);
}

// The place of a read or write at `offset`, through a handle opened for plain reads or
// writes: such a call is done when it returns.
OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

int ErrnoOfLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:  // "*.pps" that matched nothing: no file can have that name
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_INVALID_FUNCTION:  // no hard links on this volume
    case ERROR_NOT_SUPPORTED:
      return ENOSYS;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

namespace system_calls {


FileHandle CreateNew(const char* path) {
  // Others may read it, and the console handler may delete it while it is open.
  HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Failed();
  return reinterpret_cast<FileHandle>(handle);
}

std::ptrdiff_t Write(FileHandle file, const void* bytes, std::size_t size) {
  DWORD written = 0;
  if (WriteFile(HandleOf(file), bytes, PartOf(size), &written, nullptr) == 0) return Failed();
  return static_cast<std::ptrdiff_t>(written);
}

std::ptrdiff_t WriteAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD written = 0;
  if (WriteFile(HandleOf(file), bytes, PartOf(size), &written, &at) == 0) return Failed();
  return static_cast<std::ptrdiff_t>(written);
}

// At or past the end, a read at an offset reads nothing.
std::ptrdiff_t ReadAt(FileHandle file, void* bytes, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  if (ReadFile(HandleOf(file), bytes, PartOf(size), &got, &at) == 0) {
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : Failed();
  }
  return static_cast<std::ptrdiff_t>(got);
}

int Close(FileHandle file) { return CloseHandle(HandleOf(file)) != 0 ? 0 : Failed(); }

int Rename(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0 ? 0 : Failed();
}

int Remove(const char* path) { return DeleteFileA(path) != 0 ? 0 : Failed(); }

int Link(const char* existing, const char* name) {
  return CreateHardLinkA(name, existing, nullptr) != 0 ? 0 : Failed();
}

int Sync(FileHandle file) { return FlushFileBuffers(HandleOf(file)) != 0 ? 0 : Failed(); }

int SyncFolder(const char*) { return 0; }

// Windows writes a file's cache out by itself and has no call that only starts it.
int StartFlush(FileHandle, std::uint64_t, std::uint64_t) { return 0; }

// Others may read, write or remove the file meanwhile, as fopen lets them.
FileHandle OpenRead(const char* path) {
  HANDLE handle = CreateFileA(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Failed();
  return reinterpret_cast<FileHandle>(handle);
}

std::ptrdiff_t Read(FileHandle file, void* bytes, std::size_t size) {
  DWORD got = 0;
  if (ReadFile(HandleOf(file), bytes, PartOf(size), &got, nullptr) == 0) return Failed();
  return static_cast<std::ptrdiff_t>(got);
}

}  // namespace system_calls

}  // namespace qh
