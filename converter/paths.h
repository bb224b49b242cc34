// Small path operations on blank-padded texts: the folder part of a path, the short
// display form of a long path, and command-line arguments.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "services/os.h"
#include "services/text.h"

namespace qh {

// In place: keeps the path up to and including its last backslash, blank-padded; a
// path without a backslash becomes all blanks.
void PathFolder(std::span<char> path);

// Display form of a path: unchanged up to `limit` characters; otherwise leading
// folders give way to "...\" so that the result has at most limit + 1 characters,
// except that a last part too long for that is shown alone.
FixedText<256> ShortenPath(std::string_view path, int limit);

// The last lines of the box that says "offsets.txt" could not be written beside the
// program: a folder of the user's own that would take it, Documents\Quillhaven in the
// user's profile (%USERPROFILE%), or Documents in general when the profile is unknown.
std::string OwnFolderAdvice();

// Argument n of the command line (0: the program's full path); blank for negative n.
inline void GetArgument(int n, std::span<char> text) {
  StoreText(text, {});
  if (n >= 0) IOsArgument(n, text);
}

}  // namespace qh
