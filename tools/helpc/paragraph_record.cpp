#include "tools/helpc/paragraph_record.h"

#include <stdexcept>

namespace qh::help {

void ParagraphRecord::Text(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    throw std::invalid_argument("a paragraph's text cannot hold a zero byte");
  }
  text_.Raw(text);
}

void ParagraphRecord::Command(std::uint8_t code) {
  text_.U8(0);
  commands_.U8(code);
}

void ParagraphRecord::Font(std::uint16_t number) {
  Command(kFontCommand);
  commands_.U16(number);
}

void ParagraphRecord::JumpStart(std::int32_t contextHash) {
  Command(kJumpCommand);
  commands_.I32(contextHash);
}

Bytes ParagraphRecord::TextPart() const {
  ByteWriter text;
  text.Raw(text_.View());
  text.U8(0);  // ends the last text, before the paragraph's end
  return text.Take();
}

Bytes ParagraphRecord::LayoutAndCommands() const {
  const auto textSize = static_cast<std::int32_t>(TextPart().size());
  ByteWriter out;
  out.CompressedI32(textSize);
  out.CompressedU16(static_cast<std::uint16_t>(textSize));
  out.U8(0);     // unknown, zero
  out.U8(0x80);  // unknown, zero with a bias of 0x80
  out.U16(0);    // paragraph id

  std::uint16_t bits = 0;
  if (format_.spaceAbove != 0) bits |= kHasSpaceAbove;
  if (format_.leftIndent != 0) bits |= kHasLeftIndent;
  if (format_.firstLineIndent != 0) bits |= kHasFirstLineIndent;
  if (!format_.tabStops.empty()) bits |= kHasTabStops;
  out.U16(bits);
  if (bits & kHasSpaceAbove) out.CompressedI16(format_.spaceAbove);
  if (bits & kHasLeftIndent) out.CompressedI16(format_.leftIndent);
  if (bits & kHasFirstLineIndent) out.CompressedI16(format_.firstLineIndent);
  if (bits & kHasTabStops) {
    out.CompressedI16(static_cast<std::int16_t>(format_.tabStops.size()));
    for (const std::uint16_t stop : format_.tabStops) out.CompressedU16(stop);
  }

  out.Raw(commands_.View());
  out.U8(kParagraphEndCommand);
  out.U8(kCommandsEnd);
  return out.Take();
}

}  // namespace qh::help
