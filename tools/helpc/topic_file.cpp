#include "tools/helpc/topic_file.h"

#include <algorithm>
#include <stdexcept>

namespace qh::help {
namespace {

constexpr std::size_t kBlockPayload = kTopicBlockSize - kTopicBlockHeaderSize;

}  // namespace

std::uint32_t TopicFileBuilder::PlaceOf(std::size_t streamOffset) {
  return static_cast<std::uint32_t>((streamOffset / kBlockPayload) * kPlacesPerBlock +
                                    kTopicBlockHeaderSize + streamOffset % kBlockPayload);
}

void TopicFileBuilder::BeginTopic(const std::string& title) {
  topicStarts_.push_back(records_.size());
  Record header;
  header.type = kTopicHeaderRecord;
  header.part1.resize(kTopicHeaderSize);  // written by Build, once every place is known
  ByteWriter name;
  name.String(title);
  header.part2 = name.Take();
  records_.push_back(std::move(header));
}

void TopicFileBuilder::AddParagraph(const ParagraphRecord& paragraph) {
  if (topicStarts_.empty()) throw std::logic_error("a paragraph before the first topic");
  records_.push_back({kTextRecord, paragraph.LayoutAndCommands(), paragraph.TextPart()});
}

TopicFileBuilder::Layout TopicFileBuilder::LayOut() const {
  const std::size_t count = records_.size();
  Layout layout{std::vector<std::size_t>(count + 1, 0), std::vector<std::uint32_t>(count)};
  std::vector<std::size_t>& start = layout.start;
  std::size_t block = 0;
  std::uint32_t characters = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Record& r = records_[i];
    start[i + 1] = start[i] + kRecordHeaderSize + r.part1.size() + r.part2.size();
    if (start[i] / kBlockPayload != block) characters = 0;
    block = start[i] / kBlockPayload;
    if (characters >= kCharactersPerBlock) throw std::length_error("too much text in one topic block");
    layout.address[i] = static_cast<std::uint32_t>(block) * kCharactersPerBlock + characters;
    if (r.type == kTextRecord) characters += static_cast<std::uint32_t>(r.part2.size());
  }
  return layout;
}

Bytes TopicFileBuilder::Stream(const Layout& layout,
                               const std::vector<std::uint32_t>& topicAddresses) const {
  const std::size_t count = records_.size();
  const std::size_t topics = topicStarts_.size();
  const std::vector<std::size_t>& start = layout.start;
  const auto placeOrNone = [&](bool exists, std::size_t record) {
    return exists ? PlaceOf(start[record]) : kNoPosition;
  };
  ByteWriter stream;
  std::size_t topic = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Record& r = records_[i];
    stream.U32(static_cast<std::uint32_t>(start[i + 1] - start[i]));
    stream.U32(static_cast<std::uint32_t>(r.part2.size()));
    stream.U32(placeOrNone(i > 0, i - 1));
    stream.U32(placeOrNone(i + 1 < count, i + 1));
    stream.U32(static_cast<std::uint32_t>(kRecordHeaderSize + r.part1.size()));
    stream.U8(r.type);
    if (r.type == kTopicHeaderRecord) {
      const bool last = topic + 1 == topics;
      const std::size_t end = last ? count : topicStarts_[topic + 1];
      stream.U32(static_cast<std::uint32_t>(start[end] - start[i]));  // the topic's records
      stream.U32(topic > 0 ? topicAddresses[topic - 1] : kNoPosition);  // browse back
      stream.U32(!last ? topicAddresses[topic + 1] : kNoPosition);     // browse on
      stream.U32(static_cast<std::uint32_t>(topic));
      stream.U32(kNoPosition);  // no region that stays while the rest scrolls
      stream.U32(placeOrNone(i + 1 < end, i + 1));
      stream.U32(placeOrNone(!last, end));
      ++topic;
    } else {
      stream.Raw(r.part1);
    }
    stream.Raw(r.part2);
  }
  return stream.Take();
}

// The blocks: each header names the last record begun before the block, the first
// record begun in it, and the header of the topic that record belongs to.
Bytes TopicFileBuilder::Blocks(const Layout& layout, const Bytes& bytes) const {
  const std::size_t count = records_.size();
  const std::vector<std::size_t>& start = layout.start;
  const auto placeOrNone = [&](bool exists, std::size_t record) {
    return exists ? PlaceOf(start[record]) : kNoPosition;
  };
  const std::size_t blocks = std::max<std::size_t>(1, (bytes.size() + kBlockPayload - 1) / kBlockPayload);
  ByteWriter out;
  std::size_t next = 0;  // the first record not begun before the block
  std::uint32_t lastHeader = kNoPosition;
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t blockStart = b * kBlockPayload;
    const std::size_t blockEnd = blockStart + kBlockPayload;
    for (; next < count && start[next] < blockStart; ++next) {
      if (records_[next].type == kTopicHeaderRecord) lastHeader = PlaceOf(start[next]);
    }
    const bool begins = next < count && start[next] < blockEnd;
    if (begins && records_[next].type == kTopicHeaderRecord) lastHeader = PlaceOf(start[next]);
    out.U32(placeOrNone(next > 0, next - 1));
    out.U32(placeOrNone(begins, next));
    out.U32(lastHeader);
    const std::size_t end = std::min(blockEnd, bytes.size());
    if (blockStart < end) out.Raw(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(blockStart),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(end)));
    out.Zeros(blockEnd - std::max(blockStart, end));  // the last block is padded
  }
  return out.Take();
}

TopicFile TopicFileBuilder::Build() const {
  const Layout layout = LayOut();
  TopicFile result;
  for (const std::size_t first : topicStarts_) result.topicAddresses.push_back(layout.address[first]);
  result.bytes = Blocks(layout, Stream(layout, result.topicAddresses));
  return result;
}

}  // namespace qh::help
