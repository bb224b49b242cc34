#include "tools/common/memory_option.h"

#include <charconv>

namespace qh::tools {

bool ParseIndexMemory(std::string_view text, std::uint64_t& bytes) {
  std::uint64_t mib = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, mib);
  if (text.empty() || error != std::errc() || stop != end || mib > kMostIndexMemoryMiB) return false;
  bytes = mib << 20;
  return true;
}

}  // namespace qh::tools
