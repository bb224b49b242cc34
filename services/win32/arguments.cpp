// IOsArgument: the command line, read once into a blank-padded cache and walked by
// the portable argument walk; argument 0 is the running program's full path.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/argument_walk.h"
#include "layer_state.h"
#include "services/os.h"
#include "services/text.h"

namespace qh {
namespace {

constexpr DWORD kPathLength = 255;

// The command line as the cache holds it, read from the system on first use.
const win::CommandLineCache& CommandLine() {
  win::OsState& os = win::Os();
  if (!os.commandLineRead) {
    os.commandLine.fill(' ');
    if (const char* line = GetCommandLineA()) {
      const std::size_t n = std::min(std::strlen(line), os.commandLine.size());
      std::copy_n(line, n, os.commandLine.begin());
    }
    os.commandLineRead = true;
  }
  return os.commandLine;
}

}  // namespace

int IOsArgument(int n, std::span<char> text) {
  const win::CommandLineCache& line = CommandLine();
  const int last = WalkArgument(std::string_view(line.data(), line.size()), n, text);
  if (n == 0) {
    // Argument 0 as typed may be a bare or relative name; the module path is whole.
    char path[kPathLength + 1] = {};
    const DWORD len = GetModuleFileNameA(nullptr, path, kPathLength);
    StoreText(text, std::string_view(path, std::min<DWORD>(len, kPathLength)));
  }
  return last;
}

}  // namespace qh
