#include "help_reader.h"

#include <cstring>

namespace qh::help::test {

std::uint8_t Reader::U8() {
  if (at_ >= bytes_.size()) {
    failed_ = true;
    return 0;
  }
  return bytes_[at_++];
}
std::uint16_t Reader::U16() {
  const std::uint16_t low = U8();
  return static_cast<std::uint16_t>(low | (U8() << 8));
}
std::uint32_t Reader::U32() {
  const std::uint32_t low = U16();
  return low | (static_cast<std::uint32_t>(U16()) << 16);
}
std::string Reader::String() {
  std::string text;
  for (std::uint8_t c = U8(); c != 0 && !failed_; c = U8()) text.push_back(static_cast<char>(c));
  return text;
}
std::uint16_t Reader::CompressedU16() {
  if (at_ < bytes_.size() && (bytes_[at_] & 1) == 0) return U8() / 2;
  return U16() / 2;
}
std::int16_t Reader::CompressedI16() {
  if (at_ < bytes_.size() && (bytes_[at_] & 1) == 0) return static_cast<std::int16_t>(U8() / 2 - 0x40);
  return static_cast<std::int16_t>(U16() / 2 - 0x4000);
}
std::int32_t Reader::CompressedI32() {
  if (at_ < bytes_.size() && (bytes_[at_] & 1) == 0) return static_cast<std::int32_t>(U16() / 2) - 0x4000;
  return static_cast<std::int32_t>(U32() / 2) - 0x40000000;
}

Bytes Le32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}
Bytes Zstring(std::string_view text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

BtreeHeader ReadBtreeHeader(const Bytes& tree) {
  Reader r(tree);
  BtreeHeader h;
  h.magic = r.U16();
  h.flags = r.U16();
  h.pageSize = r.U16();
  for (int i = 0; i < 16; ++i) {
    const char c = static_cast<char>(r.U8());
    if (c != 0 && h.structure.size() == static_cast<std::size_t>(i)) h.structure.push_back(c);
  }
  r.U16();  // must be zero
  r.U16();  // page splits
  h.rootPage = r.U16();
  r.U16();  // must be -1
  h.totalPages = r.U16();
  h.levels = r.U16();
  h.entries = r.U32();
  return h;
}

namespace {

std::size_t FieldSize(const Bytes& bytes, std::size_t at, Field field) {
  if (field == Field::kInt32) return 4;
  std::size_t size = 0;
  while (at + size < bytes.size() && bytes[at + size] != 0) ++size;
  return size + 1;
}

// Negative, zero or positive as the key at `at` sorts before, with or after `wanted`.
int CompareKey(const Bytes& tree, std::size_t at, Field field, const Bytes& wanted) {
  if (field == Field::kString) {
    return std::strcmp(reinterpret_cast<const char*>(&tree[at]),
                       reinterpret_cast<const char*>(wanted.data()));
  }
  std::int32_t a = 0, b = 0;
  std::memcpy(&a, &tree[at], 4);
  std::memcpy(&b, wanted.data(), 4);
  return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

std::optional<std::size_t> FindInBtree(const Bytes& tree, Field key, Field value, const Bytes& wanted) {
  const BtreeHeader h = ReadBtreeHeader(tree);
  std::size_t page = h.rootPage;
  // Index levels: the last child whose first key is not above the wanted one.
  for (int level = 1; level < h.levels; ++level) {
    const std::size_t pageAt = 38 + page * h.pageSize;
    Reader r(tree, pageAt + 2);
    const std::uint16_t count = r.U16();
    page = r.U16();
    std::size_t at = pageAt + 6;
    for (std::uint16_t i = 0; i < count && at < tree.size(); ++i) {
      if (CompareKey(tree, at, key, wanted) > 0) break;
      const std::size_t pageField = at + FieldSize(tree, at, key);
      page = Reader(tree, pageField).U16();
      at = pageField + 2;
    }
  }
  Reader r(tree, 38 + page * h.pageSize + 2);
  const std::uint16_t count = r.U16();
  std::size_t at = 38 + page * h.pageSize + 8;
  for (std::uint16_t i = 0; i < count && at < tree.size(); ++i) {
    const std::size_t valueAt = at + FieldSize(tree, at, key);
    if (CompareKey(tree, at, key, wanted) == 0) return valueAt;
    at = valueAt + FieldSize(tree, valueAt, value);
  }
  return std::nullopt;
}

std::optional<Bytes> InternalFile(const Bytes& helpFile, const std::string& name) {
  Reader header(helpFile, 4);
  const std::uint32_t directoryAt = header.U32();
  Reader directory(helpFile, directoryAt + 4);
  const std::uint32_t directorySize = directory.U32();
  if (directoryAt + 9 + directorySize > helpFile.size()) return std::nullopt;
  const Bytes tree(helpFile.begin() + directoryAt + 9, helpFile.begin() + directoryAt + 9 + directorySize);
  const std::optional<std::size_t> valueAt = FindInBtree(tree, Field::kString, Field::kInt32, Zstring(name));
  if (!valueAt) return std::nullopt;
  const std::uint32_t fileAt = Reader(tree, *valueAt).U32();
  Reader file(helpFile, fileAt + 4);
  const std::uint32_t used = file.U32();
  if (fileAt + 9 + used > helpFile.size()) return std::nullopt;
  return Bytes(helpFile.begin() + fileAt + 9, helpFile.begin() + fileAt + 9 + used);
}

Bytes TopicStream(const Bytes& topicFile) {
  Bytes stream;
  for (std::size_t at = 0; at < topicFile.size(); at += 4096) {
    const std::size_t end = std::min(at + 4096, topicFile.size());
    if (at + 12 < end) stream.insert(stream.end(), topicFile.begin() + at + 12, topicFile.begin() + end);
  }
  return stream;
}

std::size_t StreamOffsetOf(std::uint32_t place) { return (place / 0x4000) * 4084 + place % 0x4000 - 12; }

RecordView ReadRecord(const Bytes& stream, std::uint32_t place) {
  const std::size_t at = StreamOffsetOf(place);
  Reader r(stream, at);
  RecordView v;
  v.size = r.U32();
  v.textSize = r.U32();
  v.previous = r.U32();
  v.next = r.U32();
  v.part1End = r.U32();
  v.type = r.U8();
  if (r.Failed() || v.part1End < 21 || v.size < v.part1End || at + v.size > stream.size()) return v;
  v.part1.assign(stream.begin() + at + 21, stream.begin() + at + v.part1End);
  v.part2.assign(stream.begin() + at + v.part1End, stream.begin() + at + v.size);
  return v;
}

std::vector<WalkedRecord> WalkRecords(const Bytes& topicFile) {
  const Bytes stream = TopicStream(topicFile);
  std::vector<WalkedRecord> walk;
  std::uint32_t block = 0, characters = 0;
  for (std::uint32_t place = Reader(topicFile, 4).U32(); place != 0xFFFFFFFF && walk.size() < 100000;) {
    if (place / 0x4000 != block) characters = 0;
    block = place / 0x4000;
    WalkedRecord w{place, block * 0x8000 + characters, ReadRecord(stream, place)};
    if (w.record.type == 0x20) characters += w.record.textSize;
    if (w.record.size == 0) break;  // unreadable: stop rather than loop
    place = w.record.next;
    walk.push_back(std::move(w));
  }
  return walk;
}

std::vector<Command> ReadCommands(const Bytes& part1) {
  Reader r(part1);
  r.CompressedI32();  // text size
  r.CompressedU16();  // text length
  r.U8();
  r.U8();
  r.U16();  // paragraph id
  const std::uint16_t bits = r.U16();
  for (const int single : {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040}) {
    if (bits & single) single == 0x0001 ? static_cast<void>(r.CompressedI32()) : static_cast<void>(r.CompressedI16());
  }
  if (bits & 0x0200) {
    const std::int16_t stops = r.CompressedI16();
    for (std::int16_t i = 0; i < stops; ++i) {
      if (r.CompressedU16() & 0x4000) r.CompressedU16();
    }
  }
  std::vector<Command> commands;
  for (std::uint8_t code = r.U8(); code != 0xFF && !r.Failed(); code = r.U8()) {
    Command c{code, 0};
    if (code == 0x80) c.argument = r.U16();
    if (code == 0xE3) c.argument = r.I32();
    commands.push_back(c);
  }
  return commands;
}

}  // namespace qh::help::test
