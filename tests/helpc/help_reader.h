// A reader of help files for the tests, written from the file format rather than from
// the writer: it finds internal files through the directory tree, looks keys up from
// a B+ tree's root, and walks the records of |TOPIC by their places.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/helpc/bytes.h"

namespace qh::help::test {

// Little-endian reads; a read past the end gives zero and sets the sticky flag.
class Reader {
 public:
  explicit Reader(const Bytes& bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string String();
  std::uint16_t CompressedU16();
  std::int16_t CompressedI16();
  std::int32_t CompressedI32();
  std::size_t Offset() const { return at_; }
  bool Failed() const { return failed_; }

 private:
  const Bytes& bytes_;
  std::size_t at_;
  bool failed_ = false;
};

Bytes Le32(std::uint32_t value);
Bytes Zstring(std::string_view text);

// --- B+ trees ---
enum class Field { kString, kInt32 };

struct BtreeHeader {
  std::uint16_t magic = 0, flags = 0, pageSize = 0;
  std::string structure;
  std::uint16_t rootPage = 0, totalPages = 0, levels = 0;
  std::uint32_t entries = 0;
};
BtreeHeader ReadBtreeHeader(const Bytes& tree);
// The offset in `tree` of the value filed under `key`, found from the root down.
std::optional<std::size_t> FindInBtree(const Bytes& tree, Field key, Field value, const Bytes& wanted);

// --- the container ---
// The contents of an internal file, through the directory; nothing when it is missing.
std::optional<Bytes> InternalFile(const Bytes& helpFile, const std::string& name);

// --- |TOPIC ---
struct RecordView {
  std::uint32_t size = 0, textSize = 0, previous = 0, next = 0, part1End = 0;
  std::uint8_t type = 0;
  Bytes part1, part2;
};
// The records' stream: every block without its header.
Bytes TopicStream(const Bytes& topicFile);
std::size_t StreamOffsetOf(std::uint32_t place);
RecordView ReadRecord(const Bytes& stream, std::uint32_t place);

// Every record from block 0's first one on, along the next-record links, with the
// address it has by the rule: its block times 0x8000, plus the text of the text
// records begun in that block before it.
struct WalkedRecord {
  std::uint32_t place = 0;
  std::uint32_t address = 0;
  RecordView record;
};
std::vector<WalkedRecord> WalkRecords(const Bytes& topicFile);

// The formatting commands of a text record, after its paragraph layout.
struct Command {
  std::uint8_t code = 0;
  std::int32_t argument = 0;  // a font's number or a jump's context hash
};
std::vector<Command> ReadCommands(const Bytes& part1);

}  // namespace qh::help::test
