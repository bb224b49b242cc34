// The command-line walk. Arguments from the input, quoted when they hold blanks, are
// walked back one by one from the cache; the count the walk returns is the same for
// every n past the last argument; an argument not reached leaves the output alone, and
// a stored one is blank-padded to the end of the output.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/argument_walk.h"
#include "services/text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qh::fuzz::Shown;

// A walk into an output filled first with one marker and then with another: the places
// where the two results differ are those the walk left alone, whatever bytes the
// arguments hold.
struct Walked {
  int count;
  std::array<char, 64> text;
  bool touchedEverywhere;
  bool touchedAnywhere;
};

Walked Walk(const std::string& cache, int n) {
  std::array<char, 64> first, second;
  first.fill('\x01');
  second.fill('\x7f');
  const int count = qh::WalkArgument(cache, n, first);
  qh::WalkArgument(cache, n, second);
  Walked w{count, first, true, false};
  for (std::size_t i = 0; i < first.size(); ++i) {
    const bool touched = first[i] == second[i];
    w.touchedEverywhere &= touched;
    w.touchedAnywhere |= touched;
  }
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Any text as a command line.
  const std::string cache =
      qh::MakeArgumentCache(std::string_view(reinterpret_cast<const char*>(data), size));
  QH_FUZZ_CHECK(cache.size() == qh::kArgumentCacheLength, "cache of " + std::to_string(cache.size()));
  const Walked beyond = Walk(cache, 100000);
  const int last = beyond.count;
  QH_FUZZ_CHECK(last >= -1 && last < static_cast<int>(qh::kArgumentCacheLength),
                "count " + std::to_string(last));
  QH_FUZZ_CHECK(!beyond.touchedAnywhere, "an argument past the last was stored");
  for (int n = 0; n <= last; ++n) {
    const Walked w = Walk(cache, n);
    QH_FUZZ_CHECK(w.count == n, "argument " + std::to_string(n) + " not reached");
    QH_FUZZ_CHECK(w.touchedEverywhere,
                  "argument " + std::to_string(n) + " not padded to the output's end");
  }
  QH_FUZZ_CHECK(Walk(cache, last + 1).count == last, "a second walk counts differently");

  // Words from the input joined into a command line, then walked back.
  qh::fuzz::Bytes input(data, size);
  std::vector<std::string> words;
  std::string line;
  while (!input.Empty() && words.size() < 12) {
    std::string word(input.Run(30));
    for (char& c : word)
      if (c == '"' || c == '\0' || c == '\t' || c == '\n' || c == '\r' || static_cast<unsigned char>(c) < ' ') c = '_';
    // The walk gives an argument blank-padded: its own outer blanks cannot survive.
    const std::size_t first = word.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    word = word.substr(first, word.find_last_not_of(' ') - first + 1);
    if (!line.empty()) line += ' ';
    line += word.find(' ') != std::string::npos ? "\"" + word + "\"" : word;
    words.push_back(word);
  }
  if (line.size() >= qh::kArgumentCacheLength) return 0;
  const std::string built = qh::MakeArgumentCache(line);
  for (std::size_t n = 0; n < words.size(); ++n) {
    const Walked w = Walk(built, static_cast<int>(n));
    QH_FUZZ_CHECK(w.count == static_cast<int>(n),
                  "argument " + std::to_string(n) + " not reached in " + Shown(line));
    const std::string_view stored = qh::Trimmed(std::string_view(w.text.data(), w.text.size()));
    QH_FUZZ_CHECK(stored == std::string_view(words[n]).substr(0, w.text.size()),
                  "argument " + std::to_string(n) + " of " + Shown(line) + " came back as " + Shown(stored));
  }
  QH_FUZZ_CHECK(Walk(built, static_cast<int>(words.size())).count ==
                    static_cast<int>(words.size()) - 1,
                "count of " + Shown(line));
  return 0;
}
