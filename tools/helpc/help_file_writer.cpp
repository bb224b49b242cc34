#include "tools/helpc/help_file_writer.h"

#include <algorithm>
#include <vector>

#include "tools/helpc/btree.h"
#include "tools/helpc/context_hash.h"
#include "tools/helpc/help_container.h"
#include "tools/helpc/help_text.h"
#include "tools/helpc/paragraph_record.h"
#include "tools/helpc/system_file.h"
#include "tools/helpc/topic_file.h"

namespace qh::help {
namespace {

// Paragraph layout, in half points.
constexpr std::int16_t kParagraphSpace = 12;
constexpr std::int16_t kHeadingSpace = 24;
constexpr std::int16_t kItemIndent = 30;
constexpr std::int16_t kLinesIndent = 12;

constexpr std::string_view kBullet = "\x95";

std::uint16_t FontOf(SpanStyle style) {
  switch (style) {
    case SpanStyle::kBold:
      return kBoldFont;
    case SpanStyle::kCode:
      return kCodeFont;
    case SpanStyle::kPlain:
      break;
  }
  return kBodyFont;
}

void AddSpans(ParagraphRecord& paragraph, const std::vector<Span>& spans, std::uint16_t plainFont,
              int line) {
  for (const Span& span : spans) {
    paragraph.Font(span.style == SpanStyle::kPlain ? plainFont : FontOf(span.style));
    if (!span.jumpTo.empty()) paragraph.JumpStart(ContextHash(span.jumpTo));
    paragraph.Text(HelpText(span.text, line));
    if (!span.jumpTo.empty()) paragraph.JumpEnd();
  }
}

ParagraphRecord BlockParagraph(const Block& block) {
  switch (block.kind) {
    case BlockKind::kHeading: {
      ParagraphRecord paragraph({kHeadingSpace, 0, 0, {}});
      AddSpans(paragraph, block.spans, kHeadingFont, block.line);
      return paragraph;
    }
    case BlockKind::kBullet:
    case BlockKind::kNumbered: {
      ParagraphRecord paragraph({kParagraphSpace, kItemIndent, -kItemIndent, {kItemIndent}});
      paragraph.Font(kBodyFont);
      paragraph.Text(block.kind == BlockKind::kBullet ? kBullet : HelpText(block.number, block.line));
      paragraph.Tab();
      AddSpans(paragraph, block.spans, kBodyFont, block.line);
      return paragraph;
    }
    case BlockKind::kLines: {
      ParagraphRecord paragraph({kParagraphSpace, kLinesIndent, 0, {}});
      for (std::size_t i = 0; i < block.spans.size(); ++i) {
        if (i > 0) paragraph.LineBreak();
        paragraph.Font(kCodeFont);
        paragraph.Text(HelpText(block.spans[i].text, block.line + 1 + static_cast<int>(i)));
      }
      return paragraph;
    }
    case BlockKind::kParagraph:
      break;
  }
  ParagraphRecord paragraph({kParagraphSpace, 0, 0, {}});
  AddSpans(paragraph, block.spans, kBodyFont, block.line);
  return paragraph;
}

TopicFile Topics(const Manual& manual) {
  TopicFileBuilder builder;
  for (const Topic& topic : manual.topics) {
    const std::string title = HelpText(topic.title, topic.line);
    builder.BeginTopic(title);
    ParagraphRecord heading({0, 0, 0, {}});
    heading.Font(kTitleFont);
    heading.Text(title);
    builder.AddParagraph(heading);
    for (const Block& block : topic.blocks) builder.AddParagraph(BlockParagraph(block));
  }
  return builder.Build();
}

Bytes ContextFile(const Manual& manual, const TopicFile& topics) {
  std::vector<std::pair<std::int32_t, std::uint32_t>> pairs;
  for (std::size_t i = 0; i < manual.topics.size(); ++i) {
    pairs.emplace_back(ContextHash(manual.topics[i].name), topics.topicAddresses[i]);
  }
  std::sort(pairs.begin(), pairs.end());  // by hash, read as a signed number
  std::vector<BtreeEntry> entries;
  for (const auto& [hash, address] : pairs) {
    ByteWriter key, value;
    key.I32(hash);
    value.U32(address);
    entries.push_back({key.Take(), value.Take()});
  }
  return BuildBtree({"L4", 0x0002, 2048}, entries);
}

Bytes TitleFile(const Manual& manual, const TopicFile& topics) {
  std::vector<BtreeEntry> entries;
  for (std::size_t i = 0; i < manual.topics.size(); ++i) {
    ByteWriter key, value;
    key.U32(topics.topicAddresses[i]);
    value.String(HelpText(manual.topics[i].title, manual.topics[i].line));
    entries.push_back({key.Take(), value.Take()});
  }
  return BuildBtree({"Lz", 0x0002, 2048}, entries);  // addresses grow with the topics
}

}  // namespace

Bytes WriteHelpFile(const Manual& manual) {
  const TopicFile topics = Topics(manual);
  HelpContainer container;
  container.Add("|SYSTEM", SystemFile(HelpText(manual.title, manual.titleLine),
                                      HelpText(manual.copyright, manual.copyrightLine),
                                      topics.topicAddresses.at(0)));
  container.Add("|FONT", FontFile());
  container.Add("|TOPIC", topics.bytes);
  container.Add("|CONTEXT", ContextFile(manual, topics));
  container.Add("|TTLBTREE", TitleFile(manual, topics));
  return container.Build();
}

}  // namespace qh::help
