// Which files the tools' names stand for. Two names are the same file when they lead to
// the same file (device and inode; on Windows volume and file index), or when they
// would be the same entry of one folder; never by their spelling alone, so that
// "./a.psp", "a.psp" and a link to it are one file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qh::tools {

enum class FileKind { kAbsent, kRegular, kFolder, kOther };  // kOther: a FIFO, a device

struct FileFacts {
  FileKind kind = FileKind::kAbsent;
  std::uint64_t device = 0, index = 0;  // for a file that exists
  // A file marked read-only on Windows, which its owner keeps from being replaced.
  // (On POSIX systems a file's own permissions do not govern its replacement.)
  bool readOnly = false;
};

// What `path` names now; false, with errno set, when the system cannot say (a folder
// on the way that is not one, no permission to look).
bool LookAt(const std::string& path, FileFacts& facts);

// Names given out one by one, each with what it is for. Claim tells whether the file
// was claimed before, and by whom.
class FileClaims {
 public:
  struct Claim {
    std::string path;
    std::string role;   // what the name is for, in the caller's words
    std::size_t owner;  // the caller's number for the input it belongs to
  };

  // Null when `path` is new; else the earlier claim of the same file.
  const Claim* Take(const std::string& path, std::string role, std::size_t owner);

 private:
  std::vector<Claim> claims_;
  std::map<std::string, std::size_t> byKey_;  // identity or entry -> claim
};

}  // namespace qh::tools
