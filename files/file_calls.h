// The system calls behind the files the formats read and write, gathered in one table
// so that a test can put its own in front of them: a full disk at the third write, a
// rename that is refused, a read that fails half-way through a file. Each call answers as its POSIX namesake does (-1 for a failure) and
// leaves the reason in errno; on Windows the system's error is mapped to the nearest
// errno, so that both speak with the same words.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qh {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// What a name stands for, without opening it.
enum class PathKind { kAbsent, kFile, kFolder, kOther };
struct PathFacts {
  PathKind kind = PathKind::kAbsent;
  std::uint64_t size = 0;  // of a file
};

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
  // Opens an existing file for reading; close it with `close`.
  FileHandle (*openRead)(const char* path);
  // Reads up to `size` bytes and returns how many (0 at the end), or -1.
  std::ptrdiff_t (*read)(FileHandle file, void* bytes, std::size_t size);
  // What `path` is: 0, or -1 when it cannot be looked at (a name that is not there is
  // 0 with kAbsent).
  int (*look)(const char* path, PathFacts* facts);
  // Starts writing the file's bytes [from, from + size) to the disk without waiting, so
  // that a later sync finds them there or on their way; where the system has no such
  // call it does nothing. Its failures are left for the sync to tell.
  int (*startFlush)(FileHandle file, std::uint64_t from, std::uint64_t size);
  // Writes up to `size` bytes at `offset` of the file, wherever its other writes are,
  // and returns how many, or -1. Two threads may write two parts of one file so at once.
  std::ptrdiff_t (*writeAt)(FileHandle file, const void* bytes, std::size_t size,
                            std::uint64_t offset);
  // Reads up to `size` bytes at `offset` of a file opened for reading, wherever its
  // other reads are, and returns how many (0 at or past the end), or -1. Two threads
  // may read two parts of one file so at once.
  std::ptrdiff_t (*readAt)(FileHandle file, void* bytes, std::size_t size, std::uint64_t offset);
};

// The system's own calls.
const FileCalls& SystemFileCalls();
// The C runtime's stat, as `look` answers on every system.
int LookWithStat(const char* path, PathFacts* facts);
// The calls in use: the system's unless a test has put others in their place.
const FileCalls& CurrentFileCalls();
// For tests: `calls` (which must outlive their use) replace the system's; null
// puts the system's back.
void SetFileCallsForTest(const FileCalls* calls);

}  // namespace qh
