// The system calls behind complete-or-absent files, gathered in one table so that a
// test can put its own in front of them: a full disk at the third write, a rename that
// is refused. Each call answers as its POSIX namesake does (-1 for a failure) and
// leaves the reason in errno; on Windows the system's error is mapped to the nearest
// errno, so that both speak with the same words.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qh {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

struct FileCalls {
  // Creates `path` for writing, and fails with EEXIST when anything has that name.
  FileHandle (*createNew)(const char* path);
  // Writes up to `size` bytes and returns how many, or -1.
  std::ptrdiff_t (*write)(FileHandle file, const void* bytes, std::size_t size);
  int (*close)(FileHandle file);
  // Gives `from` the name `to` in one step, replacing a file of that name.
  int (*rename)(const char* from, const char* to);
  int (*remove)(const char* path);
  // A second name for an existing file.
  int (*link)(const char* existing, const char* name);
  // Waits until the file's bytes are on the disk itself, not only in the system's cache.
  int (*sync)(FileHandle file);
  // The same for a folder's entries (names just renamed); on Windows the file system
  // keeps its own journal of names and this does nothing.
  int (*syncFolder)(const char* folder);
};

// The system's own calls.
const FileCalls& SystemFileCalls();
// The calls in use: the system's unless a test has put others in their place.
const FileCalls& CurrentFileCalls();
// For tests: `calls` (which must outlive their use) replace the system's; null
// puts the system's back.
void SetFileCallsForTest(const FileCalls* calls);

}  // namespace qh
