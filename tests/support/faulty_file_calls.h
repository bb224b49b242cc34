// The formats' file calls with faults put in, as real disks and volumes fail: a disk
// that fills after a given number of bytes (the write that reaches the end takes what
// fits, the next fails with ENOSPC), and one call of a kind refused at its n-th use
// with a given errno. Every call is counted, so a clean run tells how many a loop
// must go through. Installed for the life of the object; safe across threads. The
// flushes to the disk itself are counted but not made: the test's files need no
// power-cut safety, and thousands of runs must stay fast.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace qh::test {

// The calls of a file being made come first: the loops that refuse each in turn go
// through those (kFileCallKinds); the reading side follows.
enum class FileCall {
  kCreate, kWrite, kClose, kRename, kRemove, kLink, kSync, kSyncFolder, kOpenRead, kRead, kLook
};
inline constexpr int kFileCallKinds = 8;
inline constexpr int kAllFileCallKinds = 11;

struct FaultPlan {
  // Bytes the disk takes from all writes together.
  std::size_t capacity = std::numeric_limits<std::size_t>::max();
  // Bytes all reads together give; the read that finds none left fails with EIO, as
  // a disk with a bad sector does.
  std::size_t readable = std::numeric_limits<std::size_t>::max();
  // The most bytes one read gives, as from a pipe or a network share.
  std::size_t readPiece = std::numeric_limits<std::size_t>::max();
  // The call refused, at which use (1-based; 0: none), with which errno.
  FileCall refused = FileCall::kCreate;
  int nth = 0;
  int error = 0;
  // When set, that call is not refused: the process sends itself this signal just
  // before it (SIGKILL: the process ends there, as at a power cut).
  int signal = 0;
};

class FaultyFileCalls {
 public:
  explicit FaultyFileCalls(const FaultPlan& plan = {});
  ~FaultyFileCalls();
  FaultyFileCalls(const FaultyFileCalls&) = delete;
  FaultyFileCalls& operator=(const FaultyFileCalls&) = delete;

  // Calls of the kind seen so far, refused ones included.
  int Count(FileCall call) const;
  // Bytes the disk took, and bytes read from it.
  std::size_t BytesWritten() const;
  std::size_t BytesRead() const;
  // Whether the planned fault happened (a full disk counts once a write was cut).
  bool Struck() const;
};

const char* FileCallName(FileCall call);

}  // namespace qh::test
