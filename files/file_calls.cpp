// Which file calls are in use; the system's own are in file_calls_posix.cpp and
// file_calls_win.cpp.
#include "files/file_calls.h"
#include "files/file_calls_system.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>

namespace qh {

namespace {

constexpr FileCalls kSystemCalls{
    system_calls::CreateNew, system_calls::Write,    system_calls::Close,
    system_calls::Rename,    system_calls::Remove,   system_calls::Link,
    system_calls::Sync,      system_calls::SyncFolder, system_calls::OpenRead,
    system_calls::Read,      LookWithStat,            system_calls::StartFlush,
    system_calls::WriteAt,   system_calls::ReadAt};

std::atomic<const FileCalls*> current{nullptr};

}  // namespace

const FileCalls& SystemFileCalls() { return kSystemCalls; }

int LookWithStat(const char* path, PathFacts* facts) {
  *facts = {};
  struct stat status {};
  if (::stat(path, &status) != 0) return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
  if (S_ISDIR(status.st_mode)) {
    facts->kind = PathKind::kFolder;
  } else if (S_ISREG(status.st_mode)) {
    facts->kind = PathKind::kFile;
    facts->size = static_cast<std::uint64_t>(status.st_size);
  } else {
    facts->kind = PathKind::kOther;
  }
  return 0;
}

const FileCalls& CurrentFileCalls() {
  const FileCalls* calls = current.load(std::memory_order_acquire);
  return calls != nullptr ? *calls : SystemFileCalls();
}

void SetFileCallsForTest(const FileCalls* calls) {
  current.store(calls, std::memory_order_release);
}

}  // namespace qh
