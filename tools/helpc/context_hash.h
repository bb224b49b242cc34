// Context names and their hash. A jump names its target topic by the hash of the
// target's context name; the context table maps each hash to where its topic starts.
// The hash reads the name as a number in base 43, letters without case counting
// 17 to 42 ('A' to 'Z') and digits 1 to 10 ('1' to '9', then '0'), in 32 bits.
#pragma once

#include <cstdint>
#include <string_view>

namespace qh::help {

// Letters and digits: the characters every help viewer hashes alike.
bool IsContextName(std::string_view name);

// The hash of a name made of letters and digits; throws std::invalid_argument for
// any other character, or an empty name.
std::int32_t ContextHash(std::string_view name);

}  // namespace qh::help
