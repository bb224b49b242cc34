// IOsArgument: the command line, read once into a blank-padded cache and walked by
// the portable argument walk; argument 0 is the running program's full path.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/argument_walk.h"
#include "services/os.h"
#include "services/text.h"

namespace qh {
namespace {

constexpr std::size_t kCacheLength = 1024;
constexpr DWORD kPathLength = 255;

std::array<char, kCacheLength> g_cache;
bool g_cached = false;

void FillCache() {
  g_cache.fill(' ');
  if (const char* line = GetCommandLineA()) {
    const std::size_t n = std::min(std::strlen(line), kCacheLength);
    std::copy_n(line, n, g_cache.begin());
  }
  g_cached = true;
}

}  // namespace

int IOsArgument(int n, std::span<char> text) {
  if (!g_cached) FillCache();
  const int last = WalkArgument(std::string_view(g_cache.data(), g_cache.size()), n, text);
  if (n == 0) {
    // Argument 0 as typed may be a bare or relative name; the module path is whole.
    char path[kPathLength + 1] = {};
    const DWORD len = GetModuleFileNameA(nullptr, path, kPathLength);
    StoreText(text, std::string_view(path, std::min<DWORD>(len, kPathLength)));
  }
  return last;
}

}  // namespace qh
