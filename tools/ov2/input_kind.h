// What kind of file an input is: by its extension, in any case, and by its content
// when the extension names none of the kinds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qh::ov2 {

enum class InputKind { kUnknown, kPushpins, kAsc, kOverlay, kCsv, kGpx };

// The kind its extension names; kUnknown for none.
InputKind KindByName(std::string_view path);
// The kind the first bytes of a file of `size` bytes show; kUnknown when they show none.
InputKind KindByContent(std::string_view head, std::size_t size);
// By name, else by content (read from the file); kUnknown when neither tells, or the
// file cannot be read (the reader then says why).
InputKind KindOf(const std::string& path);

const char* KindName(InputKind kind);

}  // namespace qh::ov2
