// The --memory option of the tools that build an overlay's spatial index: the memory in
// MiB the index may take before it spills to a temporary file beside the overlay.
#pragma once

#include <cstdint>
#include <string_view>

namespace qh::tools {

// The most MiB the option takes: beyond what any index needs.
inline constexpr std::uint64_t kMostIndexMemoryMiB = std::uint64_t{1} << 20;

// A whole number of MiB from 0 (no limit: the index stays in memory) to
// kMostIndexMemoryMiB, as bytes; false for anything else.
bool ParseIndexMemory(std::string_view text, std::uint64_t& bytes);

// Tells on standard error that `value` (null: none was given) is no --memory value.
void TellBadIndexMemory(const char* tool, const char* value);

}  // namespace qh::tools
