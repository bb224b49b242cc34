// The outer layer of a help file: a 16-byte header, the internal files (each behind
// its own 9-byte header), and the directory, a B+ tree that maps each internal file's
// name ("|SYSTEM", "|TOPIC", ...) to where its header starts.
#pragma once

#include <map>
#include <string>

#include "tools/helpc/bytes.h"

namespace qh::help {

inline constexpr std::uint32_t kHelpFileMagic = 0x00035F3F;
inline constexpr std::size_t kHelpHeaderSize = 16;
inline constexpr std::size_t kInternalHeaderSize = 9;
inline constexpr std::uint8_t kInternalFileFlags = 0x04;

// The directory's B+ tree: names as keys, 1 KB pages.
inline constexpr std::uint16_t kDirectoryFlags = 0x0402;
inline constexpr std::uint16_t kDirectoryPageSize = 1024;

class HelpContainer {
 public:
  // Adds (or replaces) an internal file.
  void Add(const std::string& name, Bytes contents) { files_[name] = std::move(contents); }
  // The whole help file: the internal files in name order, then the directory.
  Bytes Build() const;

 private:
  std::map<std::string, Bytes> files_;  // name order is the directory's key order
};

}  // namespace qh::help
