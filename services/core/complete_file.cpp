#include "services/complete_file.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>

#ifdef _WIN32
// The C runtime's rename will not replace an existing file, and std::filesystem reads a
// narrow name as Latin-1 rather than in the ANSI code page that fopen uses, so a name
// with other characters would miss the file just written. The ANSI call reads names
// as fopen does and replaces in one step. Declared here to keep <windows.h> out.
extern "C" {
__declspec(dllimport) int __stdcall MoveFileExA(const char* from, const char* to,
                                                unsigned long flags);
__declspec(dllimport) unsigned long __stdcall GetLastError(void);
}
#endif

namespace qh {

namespace {

// Large writes reach the system in few calls; an overlay of a million points is
// written a record at a time.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
constexpr int kNameAttempts = 8;

std::string SystemReason(int code) { return std::strerror(code != 0 ? code : EIO); }

bool Exists(const std::string& path, bool& folder) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  folder = (status.st_mode & S_IFMT) == S_IFDIR;
  return true;
}

// "<path>.~XXXXXXXX.tmp": a random start per process and a counter, mixed, so that
// two writers of one target (or two runs) do not pick the same name.
std::string TemporaryNameFor(const std::string& path) {
  static const std::uint64_t seed =
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t bits = seed + 0x9E3779B97F4A7C15ull * ++counter;
  bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
  bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
  bits ^= bits >> 31;
  static const char kDigits[] = "0123456789abcdef";
  std::string name = path + ".~";
  for (int i = 0; i < 8; ++i, bits >>= 4) name.push_back(kDigits[bits & 15]);
  name += ".tmp";
  return name;
}

#ifdef _WIN32
// The nearest C runtime code of a Windows error, for its wording.
int ErrnoOf(unsigned long windows_error) {
  switch (windows_error) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
      return ENOENT;
    case 5:    // ERROR_ACCESS_DENIED
    case 32:   // ERROR_SHARING_VIOLATION
    case 33:   // ERROR_LOCK_VIOLATION
      return EACCES;
    case 17:   // ERROR_NOT_SAME_DEVICE
      return EXDEV;
    case 39:   // ERROR_HANDLE_DISK_FULL
    case 112:  // ERROR_DISK_FULL
      return ENOSPC;
    case 206:  // ERROR_FILENAME_EXCED_RANGE
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}
#endif

bool RenameOver(const std::string& from, const std::string& to, std::string& reason) {
#ifdef _WIN32
  constexpr unsigned long kReplaceExisting = 1;  // MOVEFILE_REPLACE_EXISTING
  if (MoveFileExA(from.c_str(), to.c_str(), kReplaceExisting) != 0) return true;
  reason = SystemReason(ErrnoOf(GetLastError()));
#else
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = SystemReason(errno);
#endif
  return false;
}

}  // namespace

bool CompleteFile::Open(std::string_view path) {
  Abandon();
  path_.assign(path);
  reason_.clear();
  failure_ = Failure::None;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryNameFor(path_);
    bool folder = false;
    if (Exists(name, folder)) continue;  // someone else's: never overwritten
    errno = 0;
    file_ = std::fopen(name.c_str(), "wb");
    if (file_ == nullptr) return Fail(Failure::Create, SystemReason(errno));
    temporary_ = std::move(name);
    std::setvbuf(file_, nullptr, _IOFBF, kBufferBytes);
    return true;
  }
  return Fail(Failure::Create, "no free temporary name beside the file");
}

bool CompleteFile::Write(std::string_view bytes) {
  if (Failed()) return false;
  if (file_ == nullptr) return Fail(Failure::Write, "the file is not open");
  if (bytes.empty()) return true;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    return Fail(Failure::Write, SystemReason(errno));
  }
  return true;
}

bool CompleteFile::Commit() {
  if (Failed()) return false;
  if (file_ == nullptr) return Fail(Failure::Write, "the file is not open");
  errno = 0;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const int flush_error = errno;
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  const int close_error = errno;
  file_ = nullptr;
  if (!flushed) return Fail(Failure::Write, SystemReason(flush_error));
  if (!closed) return Fail(Failure::Write, SystemReason(close_error));
  // Said plainly rather than left to each system's rename rules.
  bool folder = false;
  if (Exists(path_, folder) && folder) return Fail(Failure::Replace, SystemReason(EISDIR));
  std::string reason;
  if (!RenameOver(temporary_, path_, reason)) return Fail(Failure::Replace, std::move(reason));
  temporary_.clear();
  return true;
}

void CompleteFile::Abandon() { DropTemporary(); }

bool CompleteFile::Fail(Failure what, std::string reason) {
  if (!Failed()) {
    failure_ = what;
    reason_ = std::move(reason);
  }
  DropTemporary();
  return false;
}

void CompleteFile::DropTemporary() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) std::remove(temporary_.c_str());
  temporary_.clear();
}

}  // namespace qh
