#include "converter/paths.h"

#include <algorithm>
#include <string>

namespace qh {

namespace {

constexpr std::size_t kKeep = 3;  // "D:\" stays in front of the gap
constexpr std::string_view kGap = "...\\";

// Drops the first path element with its backslash; false when none is left.
bool DropFirstElement(std::string& path) {
  const std::size_t slash = path.find('\\');
  if (slash == std::string::npos) return false;
  path.erase(0, slash + 1);
  return true;
}

// The last `count` bytes of `text`, fewer when that would start inside a character:
// names are UTF-8 (the program's code page), and half a letter shows as garbage.
std::string LastBytes(const std::string& text, std::size_t count) {
  std::size_t from = text.size() - std::min(text.size(), count);
  while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) ++from;
  return text.substr(from);
}

// Paths whose second backslash comes too early for the drive rule to make progress
// (\\server\share\..., \a\...): keep the first two named elements, drop the folders
// after them one at a time, and mark the gap. When even that is too long, show only
// the last elements after the gap, and at worst the end of the file name.
std::string ShortenEarlySlashPath(const std::string& path, std::size_t limit) {
  const std::size_t longest = limit + 1;
  std::size_t prefixEnd = std::string::npos;
  int named = 0;
  std::size_t start = 0;
  for (std::size_t k = 0; k < path.size(); ++k) {
    if (path[k] != '\\') continue;
    if (k > start && ++named == 2) {
      prefixEnd = k + 1;
      break;
    }
    start = k + 1;
  }
  if (prefixEnd != std::string::npos) {
    const std::string prefix = path.substr(0, prefixEnd);
    std::string rest = path.substr(prefixEnd);
    bool dropped = false;
    while (prefix.size() + rest.size() + kKeep > limit && DropFirstElement(rest)) dropped = true;
    if (dropped && prefix.size() + kGap.size() + rest.size() <= longest)
      return prefix + std::string(kGap) + rest;
  }
  std::string rest = path;
  while (kGap.size() + rest.size() > longest && DropFirstElement(rest)) {
  }
  if (kGap.size() + rest.size() <= longest) return std::string(kGap) + rest;
  return LastBytes(rest, longest);
}

}  // namespace

void PathFolder(std::span<char> path) {
  const std::string_view text(path.data(), path.size());
  const std::size_t n = SignificantLength(text);
  const std::size_t slash = text.substr(0, n).rfind('\\');
  const std::size_t keep = slash == std::string_view::npos ? 0 : slash + 1;
  std::fill(path.begin() + static_cast<std::ptrdiff_t>(keep), path.end(), ' ');
}

std::string OwnFolderAdvice() {
  FixedText<256> profile;
  IOsVariable("USERPROFILE", profile.Span());
  std::string advice = "\rTo keep them, unpack Quillhaven into a folder of your own,\rsuch as ";
  if (profile.Blank()) return advice + "one under Documents.";
  return advice + std::string(profile.Trim()) + "\\Documents\\Quillhaven";
}

FixedText<256> ShortenPath(std::string_view path, int limit) {
  const FixedText<256> whole(path);
  const std::size_t lim = static_cast<std::size_t>(std::max(limit, 0));
  std::string result(whole.Trim());
  if (result.size() <= lim) return whole;

  // Remove leading folders after the first three characters until the rest, with the
  // gap marker added, fits.
  std::size_t n = result.size();
  while (n + kKeep > lim) {
    const std::size_t first = result.find('\\');
    const std::size_t from = first == std::string::npos ? 0 : first + 1;
    const std::size_t second = result.find('\\', from);
    if (second == std::string::npos) {
      // Only the last part is left and it is still too long: show it without the drive.
      return FixedText<256>(std::string_view(result).substr(std::min(kKeep, result.size())));
    }
    if (second < kKeep) return FixedText<256>(ShortenEarlySlashPath(result, lim));
    result.erase(kKeep, second - kKeep + 1);
    n = SignificantLength(result);
  }
  result.resize(n);
  const std::size_t keep = std::min(kKeep, result.size());
  return FixedText<256>(result.substr(0, keep) + std::string(kGap) + result.substr(keep));
}

}  // namespace qh
