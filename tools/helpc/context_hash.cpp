#include "tools/helpc/context_hash.h"

#include <stdexcept>
#include <string>

namespace qh::help {
namespace {

constexpr std::uint32_t kBase = 43;

// 0 for a character no context name may hold.
std::uint32_t DigitOf(char c) {
  if (c >= 'A' && c <= 'Z') return 17 + static_cast<std::uint32_t>(c - 'A');
  if (c >= 'a' && c <= 'z') return 17 + static_cast<std::uint32_t>(c - 'a');
  if (c >= '1' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c == '0') return 10;
  return 0;
}

}  // namespace

bool IsContextName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    if (DigitOf(c) == 0) return false;
  }
  return true;
}

std::int32_t ContextHash(std::string_view name) {
  if (!IsContextName(name)) {
    throw std::invalid_argument("not a context name: \"" + std::string(name) + "\"");
  }
  std::uint32_t hash = 0;
  for (const char c : name) hash = hash * kBase + DigitOf(c);
  return static_cast<std::int32_t>(hash);
}

}  // namespace qh::help
