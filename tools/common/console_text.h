// The tools' messages and summaries, printed as std::fprintf prints them, and the texts
// they write to standard output. Their texts
// are UTF-8 (the programs' code page), and so are the file names in them; a Windows
// console would read those bytes in its own code page ("Ã³" for "ó"), so there the text
// goes to the console as the letters it holds. Redirected to a file or a pipe, the bytes
// are written as they are.
#pragma once

#include <cstdio>
#include <string_view>

#include "files/platform.h"

namespace qh::tools {

QH_PRINTF_FORMAT(2, 3) void Print(std::FILE* stream, const char* format, ...);

// Whether `stream` is a terminal (a console), where progress can be drawn over itself.
bool IsTerminal(std::FILE* stream);

// What the bytes of a text stand for.
enum class TextBytes { kUtf8, kWindows1252 };

// Writes `text` to `stream` as it is, or, on a Windows console, as the letters its
// bytes stand for. False when not all of it could be written (errno says why).
bool WriteText(std::FILE* stream, std::string_view text, TextBytes bytes);

}  // namespace qh::tools
