#include "tests/support/faulty_file_calls.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <mutex>

#include "files/file_calls.h"

namespace qh::test {
namespace {

struct Disk {
  std::mutex mutex;
  FaultPlan plan;
  int counts[kAllFileCallKinds] = {};
  std::size_t written = 0;
  std::size_t read = 0;
  bool struck = false;
};
Disk disk;

// Counts the call; true (errno set) when it is the one to refuse.
bool Refused(FileCall call) {
  int signal = 0;
  {
    std::lock_guard lock(disk.mutex);
    const int count = ++disk.counts[static_cast<int>(call)];
    if (call != disk.plan.refused || count != disk.plan.nth) return false;
    disk.struck = true;
    errno = disk.plan.error;
    signal = disk.plan.signal;
  }
  if (signal == 0) return true;
  std::raise(signal);
  return false;
}

// A call of `kind` moving up to `size` bytes through `io` (given how many it may move),
// as a disk that moves `limit` bytes for all such calls together (`moved` so far): the
// call that finds none left fails with `error`.
template <class Io>
std::ptrdiff_t Move(FileCall kind, std::size_t size, std::size_t FaultPlan::*limit,
                    std::size_t Disk::*moved, int error, Io io) {
  if (Refused(kind)) return -1;
  std::size_t granted;
  {
    // The room is taken before the call: two threads writing at once must not both
    // be given the same last bytes (and the count then pass the limit).
    std::lock_guard lock(disk.mutex);
    const std::size_t room = disk.plan.*limit - disk.*moved;
    if (room == 0 && size > 0) {
      disk.struck = true;
      errno = error;
      return -1;
    }
    granted = size < room ? size : room;
    disk.*moved += granted;
  }
  const std::ptrdiff_t done = io(granted);
  const std::size_t used = done > 0 ? static_cast<std::size_t>(done) : 0;
  if (used < granted) {
    std::lock_guard lock(disk.mutex);
    disk.*moved -= granted - used;
  }
  return done;
}

// Writes, at an offset or not, fill one disk.
template <class Io>
std::ptrdiff_t WriteToDisk(std::size_t size, Io io) {
  return Move(FileCall::kWrite, size, &FaultPlan::capacity, &Disk::written, ENOSPC, io);
}

const FileCalls kFaultyCalls{
    [](const char* path) { return Refused(FileCall::kCreate) ? kNoFile : SystemFileCalls().createNew(path); },
    [](FileHandle file, const void* bytes, std::size_t size) {
      return WriteToDisk(size, [&](std::size_t part) { return SystemFileCalls().write(file, bytes, part); });
    },
    [](FileHandle file) {
      // A close that fails has still closed the file.
      const int closed = SystemFileCalls().close(file);
      return Refused(FileCall::kClose) ? -1 : closed;
    },
    [](const char* from, const char* to) {
      return Refused(FileCall::kRename) ? -1 : SystemFileCalls().rename(from, to);
    },
    [](const char* path) { return Refused(FileCall::kRemove) ? -1 : SystemFileCalls().remove(path); },
    [](const char* existing, const char* name) {
      return Refused(FileCall::kLink) ? -1 : SystemFileCalls().link(existing, name);
    },
    [](FileHandle) { return Refused(FileCall::kSync) ? -1 : 0; },
    [](const char*) { return Refused(FileCall::kSyncFolder) ? -1 : 0; },
    [](const char* path) {
      return Refused(FileCall::kOpenRead) ? kNoFile : SystemFileCalls().openRead(path);
    },
    [](FileHandle file, void* bytes, std::size_t size) {
      return Move(FileCall::kRead, std::min(size, disk.plan.readPiece), &FaultPlan::readable,
                  &Disk::read, EIO,
                  [&](std::size_t part) { return SystemFileCalls().read(file, bytes, part); });
    },
    [](const char* path, PathFacts* facts) {
      return Refused(FileCall::kLook) ? -1 : SystemFileCalls().look(path, facts);
    },
    [](FileHandle file, std::uint64_t from, std::uint64_t size) {
      return SystemFileCalls().startFlush(file, from, size);
    },
    [](FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset) {
      return WriteToDisk(size, [&](std::size_t part) {
        return SystemFileCalls().writeAt(file, bytes, part, offset);
      });
    },
    [](FileHandle file, void* bytes, std::size_t size, std::uint64_t offset) {
      return Move(FileCall::kRead, size, &FaultPlan::readable, &Disk::read, EIO,
                  [&](std::size_t part) { return SystemFileCalls().readAt(file, bytes, part, offset); });
    },
};

}  // namespace

FaultyFileCalls::FaultyFileCalls(const FaultPlan& plan) {
  {
    std::lock_guard lock(disk.mutex);
    disk.plan = plan;
    for (int& count : disk.counts) count = 0;
    disk.written = 0;
    disk.read = 0;
    disk.struck = false;
  }
  SetFileCallsForTest(&kFaultyCalls);
}

FaultyFileCalls::~FaultyFileCalls() { SetFileCallsForTest(nullptr); }

int FaultyFileCalls::Count(FileCall call) const {
  std::lock_guard lock(disk.mutex);
  return disk.counts[static_cast<int>(call)];
}

std::size_t FaultyFileCalls::BytesWritten() const {
  std::lock_guard lock(disk.mutex);
  return disk.written;
}

std::size_t FaultyFileCalls::BytesRead() const {
  std::lock_guard lock(disk.mutex);
  return disk.read;
}

bool FaultyFileCalls::Struck() const {
  std::lock_guard lock(disk.mutex);
  return disk.struck;
}

const char* FileCallName(FileCall call) {
  switch (call) {
    case FileCall::kCreate: return "create";
    case FileCall::kWrite: return "write";
    case FileCall::kClose: return "close";
    case FileCall::kRename: return "rename";
    case FileCall::kRemove: return "remove";
    case FileCall::kLink: return "link";
    case FileCall::kSync: return "sync";
    case FileCall::kSyncFolder: return "folder sync";
    case FileCall::kOpenRead: return "open for reading";
    case FileCall::kRead: return "read";
    case FileCall::kLook: return "look";
  }
  return "?";
}

}  // namespace qh::test
