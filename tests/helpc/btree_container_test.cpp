// The B+ trees and the container of internal files, read back by the tests' own reader.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "help_reader.h"
#include "tools/helpc/btree.h"
#include "tools/helpc/help_container.h"

namespace qh::help {
namespace {

using test::Field;
using test::Le32;
using test::Reader;

// Keys -3000, -2990, ... as signed numbers (the context table's kind), values key * 2.
std::vector<BtreeEntry> NumberEntries(int count) {
  std::vector<BtreeEntry> entries;
  for (int i = 0; i < count; ++i) {
    const std::int32_t key = -3000 + 10 * i;
    entries.push_back({Le32(static_cast<std::uint32_t>(key)), Le32(static_cast<std::uint32_t>(key * 2))});
  }
  return entries;
}

// The leaves from the first one on, through their next-page links; checks the
// previous-page links on the way. Returns the keys in chain order.
std::vector<std::int32_t> ChainedKeys(const Bytes& tree) {
  const test::BtreeHeader h = test::ReadBtreeHeader(tree);
  std::size_t page = h.rootPage;
  for (int level = 1; level < h.levels; ++level) page = Reader(tree, 38 + page * h.pageSize + 4).U16();
  std::vector<std::int32_t> keys;
  std::uint16_t previous = kNoPage;
  for (int guard = 0; page != kNoPage && guard < h.totalPages; ++guard) {
    Reader r(tree, 38 + page * h.pageSize);
    const std::uint16_t unused = r.U16(), count = r.U16(), back = r.U16(), next = r.U16();
    EXPECT_EQ(back, previous) << "previous link of page " << page;
    EXPECT_EQ(unused, h.pageSize - 8 - count * 8) << "free bytes of page " << page;
    for (std::uint16_t i = 0; i < count; ++i) {
      keys.push_back(r.I32());
      r.U32();
    }
    previous = static_cast<std::uint16_t>(page);
    page = next;
  }
  return keys;
}

TEST(Btree, EmptyTreeIsOneEmptyLeaf) {
  const Bytes tree = BuildBtree({"L4", 0x0002, 2048}, {});
  const test::BtreeHeader h = test::ReadBtreeHeader(tree);
  EXPECT_EQ(h.magic, kBtreeMagic);
  EXPECT_EQ(h.structure, "L4");
  EXPECT_EQ(h.totalPages, 1);
  EXPECT_EQ(h.levels, 1);
  EXPECT_EQ(h.entries, 0u);
  EXPECT_EQ(tree.size(), kBtreeHeaderSize + 2048);
  Reader leaf(tree, kBtreeHeaderSize);
  EXPECT_EQ(leaf.U16(), 2048 - kLeafHeaderSize);
  EXPECT_EQ(leaf.U16(), 0);
  EXPECT_EQ(leaf.U16(), kNoPage);
  EXPECT_EQ(leaf.U16(), kNoPage);
}

TEST(Btree, EveryKeyIsFoundFromTheRootAtEveryDepth) {
  // 8-byte entries: a leaf of a 2 KB page holds 255; an index page of 64 bytes files
  // 9 keys after its first child, a leaf of 64 bytes holds 7 entries.
  const struct {
    int entries;
    std::uint16_t pageSize;
    std::uint16_t levels;
    std::uint16_t pages;
  } cases[] = {{1, 2048, 1, 1}, {255, 2048, 1, 1}, {256, 2048, 2, 3}, {600, 2048, 2, 4},
               {70, 64, 2, 11}, {71, 64, 3, 14}, {2000, 64, 4, 286 + 29 + 3 + 1}};
  for (const auto& c : cases) {
    const std::vector<BtreeEntry> entries = NumberEntries(c.entries);
    const Bytes tree = BuildBtree({"L4", 0x0002, c.pageSize}, entries);
    const test::BtreeHeader h = test::ReadBtreeHeader(tree);
    const std::string what = std::to_string(c.entries) + " entries in pages of " + std::to_string(c.pageSize);
    EXPECT_EQ(h.levels, c.levels) << what;
    EXPECT_EQ(h.totalPages, c.pages) << what;
    EXPECT_EQ(h.entries, static_cast<std::uint32_t>(c.entries)) << what;
    EXPECT_EQ(tree.size(), kBtreeHeaderSize + std::size_t{c.pageSize} * h.totalPages) << what;
    for (const BtreeEntry& e : entries) {
      const auto at = test::FindInBtree(tree, Field::kInt32, Field::kInt32, e.key);
      ASSERT_TRUE(at.has_value()) << what << ": key " << Reader(e.key).I32() << " not found";
      EXPECT_EQ(Reader(tree, *at).I32(), Reader(e.key).I32() * 2) << what;
    }
    EXPECT_FALSE(test::FindInBtree(tree, Field::kInt32, Field::kInt32, Le32(5)).has_value()) << what;
    std::vector<std::int32_t> expected;
    for (const BtreeEntry& e : entries) expected.push_back(Reader(e.key).I32());
    EXPECT_EQ(ChainedKeys(tree), expected) << what << ": the leaves' chain";
  }
}

TEST(Btree, AnEntryLargerThanAPageIsRefused) {
  const std::vector<BtreeEntry> entries{{Bytes(60, 'x'), Le32(1)}};
  EXPECT_THROW(BuildBtree({"z4", 0x0402, 64}, entries), std::length_error);
}

TEST(HelpContainer, EveryInternalFileIsFoundThroughTheDirectory) {
  for (const int count : {3, 200}) {  // 200 names need more than one directory page
    HelpContainer container;
    std::set<std::string> names;
    for (int i = 0; i < count; ++i) {
      const std::string name = "|FILE" + std::to_string(i * 7919 % 1000);
      names.insert(name);
      container.Add(name, Bytes(static_cast<std::size_t>(i % 5), static_cast<std::uint8_t>(i)));
    }
    container.Add("|EMPTY", {});
    const Bytes file = container.Build();
    Reader header(file);
    EXPECT_EQ(header.U32(), kHelpFileMagic);
    const std::uint32_t directoryAt = header.U32();
    EXPECT_EQ(header.U32(), 0xFFFFFFFFu);
    EXPECT_EQ(header.U32(), file.size());
    Reader directory(file, directoryAt);
    const std::uint32_t room = directory.U32();
    const std::uint32_t used = directory.U32();
    EXPECT_EQ(room, used + kInternalHeaderSize) << "room of the directory";
    EXPECT_EQ(directoryAt + room, file.size()) << "the directory comes last";
    EXPECT_EQ(directory.U8(), kInternalFileFlags);
    EXPECT_EQ(test::ReadBtreeHeader(Bytes(file.begin() + directoryAt + 9, file.end())).structure, "z4");

    for (int i = 0; i < count; ++i) {
      const std::string name = "|FILE" + std::to_string(i * 7919 % 1000);
      const auto contents = test::InternalFile(file, name);
      ASSERT_TRUE(contents.has_value()) << name << " of " << count;
      EXPECT_EQ(*contents, Bytes(static_cast<std::size_t>(i % 5), static_cast<std::uint8_t>(i))) << name;
    }
    EXPECT_EQ(test::InternalFile(file, "|EMPTY"), Bytes{});
    EXPECT_FALSE(test::InternalFile(file, "|MISSING").has_value());
  }
}

}  // namespace
}  // namespace qh::help
