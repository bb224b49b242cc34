// The file calls on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "formats/file_calls.h"

namespace qh {

namespace {

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

FileHandle SystemOpenRead(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

std::ptrdiff_t SystemRead(FileHandle file, void* bytes, std::size_t size) {
  ssize_t got;
  do got = ::read(static_cast<int>(file), bytes, size);
  while (got < 0 && errno == EINTR);
  return got;
}

constexpr FileCalls kSystemCalls{SystemCreateNew, SystemWrite,    SystemClose, SystemRename,
                                 SystemRemove,    SystemLink,     SystemSync,  SystemSyncFolder,
                                 SystemOpenRead,  SystemRead,     LookWithStat};

}  // namespace

const FileCalls& SystemFileCalls() { return kSystemCalls; }

}  // namespace qh
