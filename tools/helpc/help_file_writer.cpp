#include "tools/helpc/help_file_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "tools/helpc/btree.h"
#include "tools/helpc/code_page.h"
#include "tools/helpc/context_hash.h"
#include "tools/helpc/help_container.h"
#include "tools/helpc/paragraph_record.h"
#include "tools/helpc/topic_file.h"

namespace qh::help {
namespace {

constexpr std::size_t kFaceNameSize = 20;
constexpr std::array<std::string_view, 2> kFaceNames = {"Arial", "Courier New"};

struct FontDescriptor {
  std::uint8_t attributes;  // 1 bold
  std::uint8_t halfPoints;
  std::uint8_t family;      // 1 modern (fixed pitch), 3 swiss
  std::uint16_t faceName;
};

// By FontNumber.
constexpr std::array<FontDescriptor, kFontCount> kFonts = {{
    {0, 20, 3, 0},  // body: Arial 10 pt
    {1, 28, 3, 0},  // topic title: Arial 14 pt bold
    {1, 22, 3, 0},  // heading: Arial 11 pt bold
    {1, 20, 3, 0},  // bold: Arial 10 pt bold
    {0, 20, 1, 1},  // code: Courier New 10 pt
}};

// Paragraph layout, in half points.
constexpr std::int16_t kParagraphSpace = 12;
constexpr std::int16_t kHeadingSpace = 24;
constexpr std::int16_t kItemIndent = 30;
constexpr std::int16_t kLinesIndent = 12;

constexpr std::uint16_t kWindowRecordSize = 90;
constexpr std::uint16_t kWindowNameGiven = 0x0002;
constexpr std::uint16_t kWindowCaptionGiven = 0x0004;

constexpr std::string_view kBullet = "\x95";
constexpr std::string_view kStartMacros[] = {"BrowseButtons()"};

std::string ForHelpFile(std::string_view text, int line) {
  char32_t missing = 0;
  std::optional<std::string> converted = ToWindows1252(text, &missing);
  const auto error = [line](const std::string& what) { return ManualTextError(line, what); };
  if (!converted) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(missing));
    throw error(missing == 0xFFFD ? "the text is not UTF-8"
                                  : std::string("the character ") + code + " has no Windows-1252 byte");
  }
  if (std::any_of(converted->begin(), converted->end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    throw error("a control character in the text");
  }
  return *converted;
}

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
    paragraph.Text(ForHelpFile(span.text, line));
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
      paragraph.Text(block.kind == BlockKind::kBullet ? kBullet : ForHelpFile(block.number, block.line));
      paragraph.Tab();
      AddSpans(paragraph, block.spans, kBodyFont, block.line);
      return paragraph;
    }
    case BlockKind::kLines: {
      ParagraphRecord paragraph({kParagraphSpace, kLinesIndent, 0, {}});
      for (std::size_t i = 0; i < block.spans.size(); ++i) {
        if (i > 0) paragraph.LineBreak();
        paragraph.Font(kCodeFont);
        paragraph.Text(ForHelpFile(block.spans[i].text, block.line + 1 + static_cast<int>(i)));
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
    const std::string title = ForHelpFile(topic.title, topic.line);
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
    value.String(ForHelpFile(manual.topics[i].title, manual.topics[i].line));
    entries.push_back({key.Take(), value.Take()});
  }
  return BuildBtree({"Lz", 0x0002, 2048}, entries);  // addresses grow with the topics
}

void SystemText(ByteWriter& out, std::uint16_t record, std::string_view text) {
  out.U16(record);
  out.U16(static_cast<std::uint16_t>(text.size() + 1));
  out.String(text);
}

// The main window's definition, for its caption: the viewer's own name otherwise.
void MainWindowRecord(ByteWriter& out, std::string_view caption) {
  out.U16(kWindowRecord);
  out.U16(kWindowRecordSize);
  out.U16(kWindowNameGiven | kWindowCaptionGiven);
  out.Padded("", 10);  // type
  out.Padded("main", 9);
  out.Padded(caption.substr(0, 50), 51);
  out.Zeros(kWindowRecordSize - 2 - 10 - 9 - 51);  // place, size and colours not given
}

Bytes SystemFile(const Manual& manual, std::uint32_t contentsAddress) {
  ByteWriter out;
  out.U16(kSystemMagic);
  out.U16(kWinHelp31);
  out.U16(1);  // major version
  out.U32(0);  // date of making, left out so that a build is reproducible
  out.U16(0);  // no compression, topic blocks of 4 KB
  SystemText(out, kTitleRecord, ForHelpFile(manual.title, 1));
  if (!manual.copyright.empty()) SystemText(out, kCopyrightRecord, ForHelpFile(manual.copyright, 1));
  out.U16(kContentsRecord);
  out.U16(4);
  out.U32(contentsAddress);
  for (const std::string_view macro : kStartMacros) SystemText(out, kMacroRecord, macro);
  MainWindowRecord(out, ForHelpFile(manual.title, 1));
  return out.Take();
}

Bytes FontFile() {
  ByteWriter out;
  out.U16(static_cast<std::uint16_t>(kFaceNames.size()));
  out.U16(static_cast<std::uint16_t>(kFonts.size()));
  const std::uint16_t namesAt = 8;
  out.U16(namesAt);
  out.U16(static_cast<std::uint16_t>(namesAt + kFaceNames.size() * kFaceNameSize));
  for (const std::string_view name : kFaceNames) out.Padded(name, kFaceNameSize);
  for (const FontDescriptor& font : kFonts) {
    out.U8(font.attributes);
    out.U8(font.halfPoints);
    out.U8(font.family);
    out.U16(font.faceName);
    out.Zeros(3);        // black text
    out.Raw("\xFF\xFF\xFF");  // on white
  }
  return out.Take();
}

}  // namespace

Bytes WriteHelpFile(const Manual& manual) {
  const TopicFile topics = Topics(manual);
  HelpContainer container;
  container.Add("|SYSTEM", SystemFile(manual, topics.topicAddresses.at(0)));
  container.Add("|FONT", FontFile());
  container.Add("|TOPIC", topics.bytes);
  container.Add("|CONTEXT", ContextFile(manual, topics));
  container.Add("|TTLBTREE", TitleFile(manual, topics));
  return container.Build();
}

}  // namespace qh::help
