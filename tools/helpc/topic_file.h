// The |TOPIC file: every topic as a chain of records (a topic header naming its title,
// then its paragraphs), cut into blocks of 4 KB that each begin with a 12-byte header.
// A record may run on into the next block; the block headers skip it.
//
// Two kinds of positions point into it:
//   - a record's place (TOPICPOS): the number of the block it starts in times 0x4000,
//     plus its offset in that block, the block's header counted. 0x4000 even though
//     our blocks are 4 KB: it is the size a compressed block unpacks to, and viewers
//     count every file's places that way. Records chain to each other by it;
//   - a topic's address (TOPICOFFSET): the number of the block the topic's header
//     record starts in times 0x8000, plus the characters of the text records that
//     start in that block before it. The context table and the browse chain use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/helpc/bytes.h"
#include "tools/helpc/paragraph_record.h"

namespace qh::help {

inline constexpr std::size_t kTopicBlockSize = 4096;
inline constexpr std::size_t kTopicBlockHeaderSize = 12;
inline constexpr std::size_t kRecordHeaderSize = 21;
inline constexpr std::size_t kTopicHeaderSize = 28;
inline constexpr std::uint8_t kTopicHeaderRecord = 0x02;
inline constexpr std::uint32_t kNoPosition = 0xFFFFFFFF;
inline constexpr std::uint32_t kPlacesPerBlock = 0x4000;
inline constexpr std::uint32_t kCharactersPerBlock = 0x8000;

struct TopicFile {
  Bytes bytes;
  std::vector<std::uint32_t> topicAddresses;  // TOPICOFFSET of each topic, in order
};

class TopicFileBuilder {
 public:
  // Starts the next topic.
  void BeginTopic(const std::string& title);
  // Adds a paragraph to the topic begun last.
  void AddParagraph(const ParagraphRecord& paragraph);
  TopicFile Build() const;

  // The place of a byte of the record stream (the blocks without their headers).
  static std::uint32_t PlaceOf(std::size_t streamOffset);

 private:
  struct Record {
    std::uint8_t type = 0;
    Bytes part1;  // a topic header's fields, or a paragraph's layout and commands
    Bytes part2;  // a topic's title, or a paragraph's text
  };
  // Where each record starts in the stream (one more: where it ends), and its address.
  struct Layout {
    std::vector<std::size_t> start;
    std::vector<std::uint32_t> address;
  };
  Layout LayOut() const;
  Bytes Stream(const Layout& layout, const std::vector<std::uint32_t>& topicAddresses) const;
  Bytes Blocks(const Layout& layout, const Bytes& stream) const;
  std::vector<Record> records_;
  std::vector<std::size_t> topicStarts_;  // index of each topic's header record
};

}  // namespace qh::help
