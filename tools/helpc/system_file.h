// The help file's |SYSTEM file (its title, copyright, contents topic, start-up macros
// and main window) and its |FONT file (the faces and fonts its paragraphs name).
#pragma once

#include <cstdint>
#include <string_view>

#include "tools/helpc/bytes.h"

namespace qh::help {

// `title` and `copyright` in the help file's code page; an empty copyright is left out.
Bytes SystemFile(std::string_view title, std::string_view copyright, std::uint32_t contentsAddress);
Bytes FontFile();

inline constexpr std::uint16_t kSystemMagic = 0x036C;
inline constexpr std::uint16_t kWinHelp31 = 21;
enum SystemRecord : std::uint16_t {
  kTitleRecord = 1,
  kCopyrightRecord = 2,
  kContentsRecord = 3,
  kMacroRecord = 4,
  kWindowRecord = 6,
};

// The fonts of |FONT, by number.
enum FontNumber : std::uint16_t { kBodyFont, kTitleFont, kHeadingFont, kBoldFont, kCodeFont, kFontCount };

}  // namespace qh::help
