// One paragraph of a topic as the |TOPIC file stores it (a text record): the
// paragraph's layout and a list of formatting commands in one part, the text in the
// other. The viewer reads the text up to a zero byte, shows it, then carries out the
// next command; so every command stands behind a zero that ends the text before it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/helpc/bytes.h"

namespace qh::help {

struct ParagraphFormat {
  std::int16_t spaceAbove = 0;
  std::int16_t leftIndent = 0;
  std::int16_t firstLineIndent = 0;  // negative for a hanging first line (list items)
  std::vector<std::uint16_t> tabStops;
};

// The record's type in the topic file.
inline constexpr std::uint8_t kTextRecord = 0x20;

// Bits of the paragraph's layout word that say which layout values follow it.
inline constexpr std::uint16_t kHasSpaceAbove = 0x0002;
inline constexpr std::uint16_t kHasLeftIndent = 0x0010;
inline constexpr std::uint16_t kHasFirstLineIndent = 0x0040;
inline constexpr std::uint16_t kHasTabStops = 0x0200;

// Formatting commands.
inline constexpr std::uint8_t kFontCommand = 0x80;        // then the font's number, 16 bits
inline constexpr std::uint8_t kLineBreakCommand = 0x81;
inline constexpr std::uint8_t kParagraphEndCommand = 0x82;
inline constexpr std::uint8_t kTabCommand = 0x83;
inline constexpr std::uint8_t kHotspotEndCommand = 0x89;
inline constexpr std::uint8_t kJumpCommand = 0xE3;        // then the target's context hash
inline constexpr std::uint8_t kCommandsEnd = 0xFF;

class ParagraphRecord {
 public:
  explicit ParagraphRecord(ParagraphFormat format) : format_(std::move(format)) {}

  // Text in the help file's code page; it must hold no zero byte.
  void Text(std::string_view text);
  void Font(std::uint16_t number);
  void LineBreak() { Command(kLineBreakCommand); }
  void Tab() { Command(kTabCommand); }
  // The text between JumpStart and JumpEnd is a hotspot that leads to the topic
  // whose context name has the hash `contextHash`.
  void JumpStart(std::int32_t contextHash);
  void JumpEnd() { Command(kHotspotEndCommand); }

  // The two parts of the record, the paragraph ended. The text's characters count
  // towards the positions of later records (see topic_file.h).
  Bytes LayoutAndCommands() const;
  Bytes TextPart() const;

 private:
  void Command(std::uint8_t code);

  ParagraphFormat format_;
  ByteWriter commands_;
  ByteWriter text_;
};

}  // namespace qh::help
