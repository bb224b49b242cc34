// The file calls on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "files/file_calls_system.h"

namespace qh::system_calls {

FileHandle CreateNew(const char* path) {
  return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

std::ptrdiff_t Write(FileHandle file, const void* bytes, std::size_t size) {
  return ::write(static_cast<int>(file), bytes, size);
}

std::ptrdiff_t WriteAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset) {
  return ::pwrite(static_cast<int>(file), bytes, size, static_cast<off_t>(offset));
}

int Close(FileHandle file) { return ::close(static_cast<int>(file)); }
int Rename(const char* from, const char* to) { return std::rename(from, to); }
int Remove(const char* path) { return ::unlink(path); }
int Link(const char* existing, const char* name) { return ::link(existing, name); }

int Sync(FileHandle file) {
  int result;
  do result = ::fsync(static_cast<int>(file));
  while (result != 0 && errno == EINTR);
  return result;
}

int SyncFolder(const char* folder) {
  const int handle = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return -1;
  const int result = Sync(handle);
  const int error = errno;
  ::close(handle);
  errno = error;
  return result;
}

FileHandle OpenRead(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

std::ptrdiff_t Read(FileHandle file, void* bytes, std::size_t size) {
  ssize_t got;
  do got = ::read(static_cast<int>(file), bytes, size);
  while (got < 0 && errno == EINTR);
  return got;
}

std::ptrdiff_t ReadAt(FileHandle file, void* bytes, std::size_t size, std::uint64_t offset) {
  ssize_t got;
  do got = ::pread(static_cast<int>(file), bytes, size, static_cast<off_t>(offset));
  while (got < 0 && errno == EINTR);
  return got;
}

int StartFlush(FileHandle file, std::uint64_t from, std::uint64_t size) {
#ifdef __linux__
  return ::sync_file_range(static_cast<int>(file), static_cast<off_t>(from),
                           static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
#else
  static_cast<void>(file);
  static_cast<void>(from);
  static_cast<void>(size);
  return 0;
#endif
}

}  // namespace qh::system_calls
