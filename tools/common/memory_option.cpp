#include "tools/common/memory_option.h"

#include <charconv>
#include <cstdio>

#include "tools/common/standard_output.h"
#include "tools/common/console_text.h"

namespace qh::tools {

bool ParseIndexMemory(std::string_view text, std::uint64_t& bytes) {
  std::uint64_t mib = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, mib);
  if (text.empty() || error != std::errc() || stop != end || mib > kMostIndexMemoryMiB) return false;
  bytes = mib << 20;
  return true;
}

void TellBadIndexMemory(const char* tool, const char* value) {
  Print(stderr, "%s: --memory takes a whole number of MB (0 for no limit)%s%s\n", tool,
               value == nullptr ? "" : ", not ", value == nullptr ? "" : Shown(value).c_str());
}

}  // namespace qh::tools
