// The B+ trees of a help file: its directory of internal files, its context table and
// its title table are each one B+ tree of fixed-size pages. Leaf pages hold the
// entries in key order and are chained both ways; index pages above them hold, for
// every child after the first, that child's first key and page number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/helpc/bytes.h"

namespace qh::help {

struct BtreeEntry {
  Bytes key;    // as stored: a zero-terminated name, a 32-bit number, ...
  Bytes value;  // what the leaf keeps after the key
};

struct BtreeShape {
  std::string structure;  // up to 16 characters naming the key and value types
  std::uint16_t flags = 0x0002;
  std::uint16_t pageSize = 2048;
};

// The B+ tree of `entries`, which must be in the tree's key order: its 38-byte header
// and its pages (leaves first, then each level of index pages; the root is last). An
// empty tree is one empty leaf. Throws std::length_error when one entry cannot fit a
// page, or the tree would need more than 65535 pages.
Bytes BuildBtree(const BtreeShape& shape, const std::vector<BtreeEntry>& entries);

inline constexpr std::uint16_t kBtreeMagic = 0x293B;
inline constexpr std::size_t kBtreeHeaderSize = 38;
inline constexpr std::size_t kLeafHeaderSize = 8;
inline constexpr std::size_t kIndexHeaderSize = 6;
inline constexpr std::uint16_t kNoPage = 0xFFFF;

}  // namespace qh::help
