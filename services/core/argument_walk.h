// The command-line walk of IOsArgument over its cached command line.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qh {

// Length of the command-line cache.
inline constexpr std::size_t kArgumentCacheLength = 1024;

// The cache as kept for the program's life: the command line cut to 1024 characters,
// its terminating NUL and everything after it replaced by blanks.
std::string MakeArgumentCache(std::string_view commandLine);

// Walks `cache` counting words from -1, so the program's name is argument 0. When
// the count reaches n the argument (without quotes) is stored into `out`,
// blank-padded; otherwise `out` is left alone. Returns the last count reached
// (-1 for a blank cache). Argument 0's replacement by the module path is the
// caller's.
int WalkArgument(std::string_view cache, int n, std::span<char> out);

}  // namespace qh
