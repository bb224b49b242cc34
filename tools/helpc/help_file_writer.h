// The manual as a WinHelp 3.1 file: the internal files |SYSTEM (title, copyright,
// contents topic, start-up macros), |FONT, |TOPIC, |CONTEXT (context hashes to
// topics) and |TTLBTREE (topics to titles), nothing compressed.
#pragma once

#include <stdexcept>
#include <string>

#include "tools/helpc/bytes.h"
#include "tools/helpc/manual.h"

namespace qh::help {

// A text the help file cannot carry, at its line of the manual's source.
class ManualTextError : public std::runtime_error {
 public:
  ManualTextError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Throws ManualTextError for a character outside Windows-1252 or a control character.
Bytes WriteHelpFile(const Manual& manual);

inline constexpr std::uint16_t kSystemMagic = 0x036C;
inline constexpr std::uint16_t kWinHelp31 = 21;
enum SystemRecord : std::uint16_t { kTitleRecord = 1, kCopyrightRecord = 2, kContentsRecord = 3, kMacroRecord = 4,
                                   kWindowRecord = 6 };

// The fonts of |FONT, by number.
enum FontNumber : std::uint16_t { kBodyFont, kTitleFont, kHeadingFont, kBoldFont, kCodeFont, kFontCount };

}  // namespace qh::help
