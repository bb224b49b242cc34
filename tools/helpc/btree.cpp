#include "tools/helpc/btree.h"

#include <stdexcept>

namespace qh::help {
namespace {

// One page being built, with the first key below it (the key its parent files it under).
struct Page {
  Bytes body;
  std::size_t entryCount = 0;
  Bytes firstKey;
  std::uint16_t firstChild = 0;  // index pages: the child before their first key
};

// Splits `sizes` into runs whose sizes fit `room`; returns the index where each run starts.
std::vector<std::size_t> RunStarts(const std::vector<std::size_t>& sizes, std::size_t room) {
  std::vector<std::size_t> starts;
  std::size_t used = room;  // forces a first run
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] > room) throw std::length_error("a B+ tree entry does not fit a page");
    if (used + sizes[i] > room) {
      starts.push_back(i);
      used = 0;
    }
    used += sizes[i];
  }
  return starts;
}

std::vector<Page> LeafPages(const std::vector<BtreeEntry>& entries, std::size_t pageSize) {
  std::vector<std::size_t> sizes;
  for (const BtreeEntry& e : entries) sizes.push_back(e.key.size() + e.value.size());
  std::vector<std::size_t> starts = RunStarts(sizes, pageSize - kLeafHeaderSize);
  if (starts.empty()) starts.push_back(0);  // the empty tree: one empty leaf

  std::vector<Page> pages(starts.size());
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const std::size_t end = p + 1 < starts.size() ? starts[p + 1] : entries.size();
    Page& page = pages[p];
    for (std::size_t i = starts[p]; i < end; ++i) {
      page.body.insert(page.body.end(), entries[i].key.begin(), entries[i].key.end());
      page.body.insert(page.body.end(), entries[i].value.begin(), entries[i].value.end());
    }
    page.entryCount = end - starts[p];
    if (page.entryCount > 0) page.firstKey = entries[starts[p]].key;
  }
  return pages;
}

// The index pages over `children`, whose page numbers start at `firstChild`. Each
// index page names its first child in its header and files every further child
// under that child's first key.
std::vector<Page> IndexPages(const std::vector<Page>& children, std::size_t firstChild,
                             std::size_t pageSize) {
  const std::size_t room = pageSize - kIndexHeaderSize;
  std::vector<Page> pages;
  std::size_t used = 0;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const auto number = static_cast<std::uint16_t>(firstChild + i);
    const Bytes& key = children[i].firstKey;
    const std::size_t cost = key.size() + 2;
    if (cost > room) throw std::length_error("a B+ tree key does not fit an index page");
    if (pages.empty() || used + cost > room) {
      Page page;
      page.firstKey = key;
      page.firstChild = number;
      pages.push_back(std::move(page));
      used = 0;
      continue;
    }
    Page& page = pages.back();
    page.body.insert(page.body.end(), key.begin(), key.end());
    page.body.push_back(static_cast<std::uint8_t>(number & 0xFF));
    page.body.push_back(static_cast<std::uint8_t>(number >> 8));
    ++page.entryCount;
    used += cost;
  }
  return pages;
}

}  // namespace

Bytes BuildBtree(const BtreeShape& shape, const std::vector<BtreeEntry>& entries) {
  const std::size_t pageSize = shape.pageSize;
  const std::vector<Page> leaves = LeafPages(entries, pageSize);

  // Levels from the leaves up; each level's pages follow the level below it.
  std::vector<std::vector<Page>> levels{leaves};
  std::size_t levelStart = 0;
  while (levels.back().size() > 1) {
    const std::vector<Page>& below = levels.back();
    std::vector<Page> above = IndexPages(below, levelStart, pageSize);
    levelStart += below.size();
    levels.push_back(std::move(above));
  }
  const std::size_t totalPages = levelStart + 1;
  if (totalPages > 0xFFFF) throw std::length_error("a B+ tree of more than 65535 pages");

  ByteWriter out;
  out.U16(kBtreeMagic);
  out.U16(shape.flags);
  out.U16(shape.pageSize);
  out.Padded(shape.structure, 16);
  out.U16(0);                                          // must be zero
  out.U16(static_cast<std::uint16_t>(totalPages - 1));  // page splits made while filling
  out.U16(static_cast<std::uint16_t>(totalPages - 1));  // the root: the last page
  out.U16(0xFFFF);                                     // must be -1
  out.U16(static_cast<std::uint16_t>(totalPages));
  out.U16(static_cast<std::uint16_t>(levels.size()));
  out.U32(static_cast<std::uint32_t>(entries.size()));

  for (std::size_t p = 0; p < leaves.size(); ++p) {
    const Page& leaf = leaves[p];
    out.U16(static_cast<std::uint16_t>(pageSize - kLeafHeaderSize - leaf.body.size()));
    out.U16(static_cast<std::uint16_t>(leaf.entryCount));
    out.U16(p == 0 ? kNoPage : static_cast<std::uint16_t>(p - 1));
    out.U16(p + 1 == leaves.size() ? kNoPage : static_cast<std::uint16_t>(p + 1));
    out.Raw(leaf.body);
    out.Zeros(pageSize - kLeafHeaderSize - leaf.body.size());
  }
  for (std::size_t level = 1; level < levels.size(); ++level) {
    for (const Page& page : levels[level]) {
      out.U16(static_cast<std::uint16_t>(pageSize - kIndexHeaderSize - page.body.size()));
      out.U16(static_cast<std::uint16_t>(page.entryCount));
      out.U16(page.firstChild);
      out.Raw(page.body);
      out.Zeros(pageSize - kIndexHeaderSize - page.body.size());
    }
  }
  return out.Take();
}

}  // namespace qh::help
