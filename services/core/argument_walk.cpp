// The walk over the command-line cache. Words are blank-delimited; a word that
// begins with a double quote runs to the next quote and may hold blanks.
#include "core/argument_walk.h"

#include <cstddef>

#include "services/text.h"

namespace qh {

std::string MakeArgumentCache(std::string_view commandLine) {
  commandLine = commandLine.substr(0, commandLine.find('\0'));
  std::string cache(commandLine.substr(0, kArgumentCacheLength));
  cache.resize(kArgumentCacheLength, ' ');
  return cache;
}

int WalkArgument(std::string_view cache, int n, std::span<char> out) {
  const std::size_t end = cache.size();
  // End of the blank-delimited word that starts at `from` (one past its last character).
  auto wordEnd = [&](std::size_t from) {
    const std::size_t blank = cache.find(' ', from);
    return blank == std::string_view::npos ? end : blank;
  };

  int count = -1;
  std::size_t pos = 0;
  while (pos < end) {
    pos = cache.find_first_not_of(' ', pos);
    if (pos == std::string_view::npos) break;

    std::string_view argument;
    if (cache[pos] == '"' && pos + 1 < end) {
      const std::size_t start = pos + 1;
      std::size_t close = cache.find('"', start);
      if (close == std::string_view::npos) close = end;
      argument = cache.substr(start, close - start);
      const bool emptyPair = close == start;
      const bool onlyBlanksFollow = close == end && IsBlank(argument);
      if (emptyPair || onlyBlanksFollow) {
        pos = wordEnd(pos) + 1;
        continue;
      }
      pos = close + 2;  // past the closing quote and the blank after it
    } else {
      const std::size_t stop = wordEnd(pos);
      argument = cache.substr(pos, stop - pos);
      pos = stop + 1;
    }
    ++count;
    if (count == n) {
      StoreText(out, argument);
      break;
    }
  }
  return count;
}

}  // namespace qh
