// The table itself; what an interrupt is and how a file goes are in the platform
// halves, temporary_files_posix.cpp and temporary_files_win.cpp.
#include "files/temporary_files.h"

#include <atomic>
#include <cstring>

#include "files/temporary_files_platform.h"

namespace qh::temporary_files {

namespace {

// A run's outputs and the spill files of an overlay's index split on the disk (a few for
// every level of its splits).
constexpr int kPlaces = 64;

// A place is free, being filled, or holds a file to remove.
enum : int { kFree = 0, kFilling = 1, kHeld = 2 };

struct Place {
  std::atomic<int> state{kFree};
  char path[kPathBytes];
};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

Place places[kPlaces];

}  // namespace

int Add(const std::string& path) {
  if (path.size() >= kPathBytes) return -1;
  if (!TakingFiles()) return -1;
  for (int i = 0; i < kPlaces; ++i) {
    int expected = kFree;
    if (!places[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(places[i].path, path.c_str(), path.size() + 1);
    places[i].state.store(kHeld, std::memory_order_release);
    return i;
  }
  return -1;
}

void Drop(int place) {
  if (place >= 0 && place < kPlaces) places[place].state.store(kFree, std::memory_order_release);
}

void Discard(FileHandle& file, std::string& path, int& place) {
  const FileCalls& calls = CurrentFileCalls();
  if (file != kNoFile) calls.close(file);
  file = kNoFile;
  if (!path.empty()) calls.remove(path.c_str());
  path.clear();
  Drop(place);
  place = -1;
}

void RemoveAll() {
  for (Place& place : places) {
    if (place.state.load(std::memory_order_acquire) == kHeld) RemoveFile(place.path);
  }
}

}  // namespace qh::temporary_files
