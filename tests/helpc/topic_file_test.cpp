// Paragraph records and the |TOPIC file: the bytes of a paragraph, and the chains of
// places and addresses over topics that run across several blocks.
#include <gtest/gtest.h>

#include <algorithm>

#include "help_reader.h"
#include "tools/helpc/topic_file.h"

namespace qh::help {
namespace {

using test::Reader;

TEST(ParagraphRecord, LayoutCommandsAndTextAsTheViewerReadsThem) {
  ParagraphRecord p({12, 0, 0, {}});
  p.Font(3);
  p.Text("Hi");
  p.JumpStart(0x01020304);
  p.Text("go");
  p.JumpEnd();
  // Each command stands behind the zero that ends the text before it; the last zero
  // goes with the paragraph's end.
  EXPECT_EQ(p.TextPart(), (Bytes{0, 'H', 'i', 0, 'g', 'o', 0, 0}));
  EXPECT_EQ(p.LayoutAndCommands(),
            (Bytes{0x10, 0x80,  // text size 8, a compressed signed long
                   0x10,        // text length 8, a compressed unsigned short
                   0x00, 0x80, 0x00, 0x00,
                   0x02, 0x00,  // layout: space above follows
                   0x98,        // 12 points above, compressed signed short
                   0x80, 0x03, 0x00, 0xE3, 0x04, 0x03, 0x02, 0x01, 0x89, 0x82, 0xFF}));
}

TEST(ParagraphRecord, EveryCommandHasItsTextAndLayoutValuesFollowTheirBits) {
  ParagraphRecord p({0, 30, -30, {30, 200}});
  p.Text("\x95");
  p.Tab();
  p.Font(0);
  p.Text("item");
  p.LineBreak();
  p.Text("more");
  const std::vector<test::Command> commands = test::ReadCommands(p.LayoutAndCommands());
  const std::vector<std::uint8_t> codes = [&] {
    std::vector<std::uint8_t> c;
    for (const test::Command& command : commands) c.push_back(command.code);
    return c;
  }();
  EXPECT_EQ(codes, (std::vector<std::uint8_t>{kTabCommand, kFontCommand, kLineBreakCommand,
                                              kParagraphEndCommand}));
  const Bytes text = p.TextPart();
  EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), 0)), commands.size());
  const Bytes layout = p.LayoutAndCommands();
  Reader r(layout, 7);
  EXPECT_EQ(r.U16(), kHasLeftIndent | kHasFirstLineIndent | kHasTabStops);
  EXPECT_EQ(r.CompressedI16(), 30);
  EXPECT_EQ(r.CompressedI16(), -30);
  EXPECT_EQ(r.CompressedI16(), 2);
  EXPECT_EQ(r.CompressedU16(), 30);
  EXPECT_EQ(r.CompressedU16(), 200);
}

// 24 topics of 0 to 5 paragraphs of 10 to about 1500 characters: several blocks,
// records across their edges, topics starting anywhere in a block.
TopicFile ManyTopics(std::vector<std::string>& titles) {
  TopicFileBuilder builder;
  for (int t = 0; t < 24; ++t) {
    titles.push_back("Topic " + std::to_string(t));
    builder.BeginTopic(titles.back());
    for (int p = 0; p < (t * 7) % 6; ++p) {
      ParagraphRecord paragraph({12, 0, 0, {}});
      paragraph.Text(std::string(10 + (t * 131 + p * 977) % 1500, static_cast<char>('a' + p)));
      builder.AddParagraph(paragraph);
    }
  }
  return builder.Build();
}

// Each block's header names the last record begun before the block and the first
// record begun in it.
void CheckBlockHeaders(const TopicFile& file, const std::vector<test::WalkedRecord>& walk) {
  for (std::size_t b = 0; b < file.bytes.size() / kTopicBlockSize; ++b) {
    Reader header(file.bytes, b * kTopicBlockSize);
    const std::uint32_t lastBefore = header.U32(), first = header.U32();
    const auto firstIn = std::find_if(walk.begin(), walk.end(), [&](const test::WalkedRecord& w) { return w.place / kPlacesPerBlock == b; });
    const auto before = std::find_if(walk.rbegin(), walk.rend(), [&](const test::WalkedRecord& w) { return w.place / kPlacesPerBlock < b; });
    EXPECT_EQ(first, firstIn == walk.end() ? kNoPosition : firstIn->place) << "block " << b;
    EXPECT_EQ(lastBefore, before == walk.rend() ? kNoPosition : before->place) << "block " << b;
  }
}

TEST(TopicFile, RecordsChainAcrossBlocksAndBlockHeadersPointIntoThem) {
  std::vector<std::string> titles;
  const TopicFile file = ManyTopics(titles);
  ASSERT_EQ(file.bytes.size() % kTopicBlockSize, 0u);
  ASSERT_GE(file.bytes.size() / kTopicBlockSize, 4u);
  const std::vector<test::WalkedRecord> walk = test::WalkRecords(file.bytes);
  for (std::size_t i = 0; i < walk.size(); ++i) {
    const test::RecordView& r = walk[i].record;
    ASSERT_EQ(r.previous, i > 0 ? walk[i - 1].place : kNoPosition) << "record at place " << walk[i].place;
    ASSERT_EQ(r.size, r.part1End + r.part2.size()) << "record at place " << walk[i].place;
    ASSERT_EQ(r.textSize, r.part2.size()) << "record at place " << walk[i].place;
  }
  ASSERT_FALSE(walk.empty());
  EXPECT_EQ(walk.back().record.next, kNoPosition);
  std::vector<std::string> seen;
  bool crossesABlock = false;
  for (const test::WalkedRecord& w : walk) {
    if (w.record.type == kTopicHeaderRecord) seen.push_back(Reader(w.record.part2).String());
    const std::size_t at = test::StreamOffsetOf(w.place);
    crossesABlock |= at / 4084 != (at + w.record.size - 1) / 4084;
  }
  EXPECT_EQ(seen, titles);
  EXPECT_TRUE(crossesABlock) << "the case must hold a record that runs into the next block";

  CheckBlockHeaders(file, walk);
}

TEST(TopicFile, RecordsBegunRightAtABlocksStart) {
  // A record right at the start of block 1; and one at the start of block 2 behind a
  // record that fills block 1, which then has no first record.
  for (const std::uint32_t block : {1u, 2u}) {
    bool found = false;
    for (std::size_t length = block * 4084 - 200; length < block * 4084 && !found; ++length) {
      TopicFileBuilder builder;
      builder.BeginTopic("Exact");
      for (const std::size_t size : {length, std::size_t{10}}) {
        ParagraphRecord paragraph({});
        paragraph.Text(std::string(size, 'x'));
        builder.AddParagraph(paragraph);
      }
      const TopicFile file = builder.Build();
      const std::vector<test::WalkedRecord> walk = test::WalkRecords(file.bytes);
      found = walk.size() == 3 && walk[2].place == block * kPlacesPerBlock + kTopicBlockHeaderSize;
      if (found) CheckBlockHeaders(file, walk);
    }
    EXPECT_TRUE(found) << "no paragraph length puts a record right at the start of block " << block;
  }
}

TEST(TopicFile, TopicAddressesCountTheTextBeforeThemInTheirBlock) {
  std::vector<std::string> titles;
  const TopicFile file = ManyTopics(titles);
  const std::vector<test::WalkedRecord> walk = test::WalkRecords(file.bytes);
  std::vector<std::uint32_t> headerPlaces, expected;
  for (const test::WalkedRecord& w : walk) {
    if (w.record.type != kTopicHeaderRecord) continue;
    headerPlaces.push_back(w.place);
    expected.push_back(w.address);
  }
  ASSERT_EQ(file.topicAddresses, expected);
  ASSERT_NE(std::count_if(expected.begin(), expected.end(), [](std::uint32_t a) { return a % kCharactersPerBlock != 0; }), 0)
      << "the case must hold topics that start after text in their block";

  for (std::size_t t = 0, i = 0; i < walk.size(); ++i) {
    if (walk[i].record.type != kTopicHeaderRecord) continue;
    Reader h(walk[i].record.part1);
    const std::uint32_t size = h.U32(), back = h.U32(), on = h.U32(), number = h.U32();
    const std::uint32_t fixedRegion = h.U32(), scroll = h.U32(), nextTopic = h.U32();
    const std::string what = "topic " + std::to_string(t);
    std::uint32_t recordsSize = 0;
    for (std::size_t j = i; j < walk.size() && (j == i || walk[j].record.type != kTopicHeaderRecord); ++j) {
      recordsSize += walk[j].record.size;
    }
    EXPECT_EQ(size, recordsSize) << what;
    EXPECT_EQ(back, t > 0 ? expected[t - 1] : kNoPosition) << what;
    EXPECT_EQ(on, t + 1 < expected.size() ? expected[t + 1] : kNoPosition) << what;
    EXPECT_EQ(number, t) << what;
    EXPECT_EQ(fixedRegion, kNoPosition) << what;
    const bool hasText = i + 1 < walk.size() && walk[i + 1].record.type == kTextRecord;
    EXPECT_EQ(scroll, hasText ? walk[i + 1].place : kNoPosition) << what;
    EXPECT_EQ(nextTopic, t + 1 < headerPlaces.size() ? headerPlaces[t + 1] : kNoPosition) << what;
    ++t;
  }
}

}  // namespace
}  // namespace qh::help
