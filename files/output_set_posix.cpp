// The lock file of an output set on POSIX systems: flock, which the system lets go
// when the process ends however it ends.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "files/output_set.h"

namespace qh::lock_file {

namespace {

constexpr int kAttempts = 8;

// Why the file open as `file` cannot be a journal this user's runs made; null when it can.
const char* NotOurs(int file) {
  struct stat facts;
  if (::fstat(file, &facts) != 0) return "it cannot be looked at";
  if (!S_ISREG(facts.st_mode)) return "it is not a regular file";
  if (facts.st_uid != ::geteuid()) return "it belongs to another user";
  // A second name could be any file of the user's, which a rewrite would overwrite.
  if (facts.st_nlink != 1) return "it has another name too";
  return nullptr;
}

// Why `path`, which would not open, is not a journal this program makes; null when it
// is not there or is a regular file (the open failed for another reason).
const char* NotAFile(const char* path) {
  struct stat facts;
  if (::lstat(path, &facts) != 0 || S_ISREG(facts.st_mode)) return nullptr;
  return S_ISLNK(facts.st_mode) ? "it is a symbolic link" : "it is not a regular file";
}

}  // namespace

Result TryLock(const char* path, FileHandle& handle, const char*& why) {
  // A holder removes the name before it lets go: a file locked here that no longer
  // has the name was someone else's, and the name is tried again. Never through a link,
  // and no other user's runs open it: a journal is rewritten by whoever holds it.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int file = ::open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (file < 0) {
      const int error = errno;
      why = NotAFile(path);
      errno = error;
      return why != nullptr ? Result::kForeign : Result::kFailed;
    }
    why = NotOurs(file);
    if (why != nullptr) {
      ::close(file);
      return Result::kForeign;
    }
    if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(file);
      if (error == EWOULDBLOCK || error == EINTR) return Result::kBusy;
      errno = error;
      return Result::kFailed;
    }
    struct stat held, named;
    if (::fstat(file, &held) == 0 && ::lstat(path, &named) == 0 && held.st_dev == named.st_dev &&
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

bool Read(FileHandle handle, std::string& bytes, std::size_t most) {
  const int file = static_cast<int>(handle);
  bytes.clear();
  char chunk[4096];
  while (bytes.size() < most) {
    const std::size_t wanted = std::min(sizeof chunk, most - bytes.size());
    const ssize_t got = ::pread(file, chunk, wanted, static_cast<off_t>(bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return true;
}

void Release(const char* path, FileHandle handle) {
  ::unlink(path);
  ::close(static_cast<int>(handle));
}

void Close(FileHandle handle) { ::close(static_cast<int>(handle)); }

}  // namespace qh::lock_file
