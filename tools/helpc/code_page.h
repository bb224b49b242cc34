// The manual is written in UTF-8; a WinHelp 3.1 file holds its text in the Windows
// code page of its readers, Windows-1252 here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qh::help {

// The Windows-1252 bytes of `utf8`. Nothing when a character has no byte there
// (`*missing` then holds it) or the text is not UTF-8 (`*missing` holds U+FFFD).
std::optional<std::string> ToWindows1252(std::string_view utf8, char32_t* missing = nullptr);

}  // namespace qh::help
