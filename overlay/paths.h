// The parts of a path the tools need to name their outputs; both "/" and "\" separate
// folders, so a Windows path reads the same on every system.
#pragma once

#include <string>
#include <string_view>

namespace qh {

// The file name part of a path (after the last "/" or "\").
std::string_view FileNamePart(std::string_view path);
// `path` with the extension of its file name (from its last ".") replaced by
// `extension` (which starts with "."), or with `extension` added when it has none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);
// The folder part of a path including its last separator; empty when there is none.
std::string_view FolderPart(std::string_view path);

}  // namespace qh
