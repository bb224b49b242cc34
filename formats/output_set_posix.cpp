// The lock file of an output set on POSIX systems: flock, which the system lets go
// when the process ends however it ends.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "formats/output_set.h"

namespace qh::lock_file {

namespace {
constexpr int kAttempts = 8;
}  // namespace

Result TryLock(const char* path, FileHandle& handle) {
  // A holder removes the name before it lets go: a file locked here that no longer
  // has the name was someone else's, and the name is tried again.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int file = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0) return Result::kFailed;
    if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(file);
      if (error == EWOULDBLOCK || error == EINTR) return Result::kBusy;
      errno = error;
      return Result::kFailed;
    }
    struct stat held, named;
    if (::fstat(file, &held) == 0 && ::stat(path, &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      handle = file;
      return Result::kTaken;
    }
    ::close(file);
  }
  return Result::kBusy;
}

bool Rewrite(FileHandle handle, const std::string& bytes, bool flush) {
  const int file = static_cast<int>(handle);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written =
        ::pwrite(file, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  // Cut after the new bytes, never to nothing first: ext4 takes a file truncated to
  // nothing and written again for a replaced file and flushes it at close.
  if (::ftruncate(file, static_cast<off_t>(bytes.size())) != 0) return false;
  return !flush || ::fsync(file) == 0;
}

bool ReadAll(FileHandle handle, std::string& bytes) {
  const int file = static_cast<int>(handle);
  bytes.clear();
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::pread(file, chunk, sizeof chunk, static_cast<off_t>(bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
}

void Release(const char* path, FileHandle handle) {
  ::unlink(path);
  ::close(static_cast<int>(handle));
}

void Close(FileHandle handle) { ::close(static_cast<int>(handle)); }

}  // namespace qh::lock_file
