#include "tools/common/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qh::tools {

bool StandardOutputDone(const char* tool) {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  std::fprintf(stderr, "%s: cannot write to standard output: %s\n", tool,
               std::strerror(errno != 0 ? errno : EIO));
  return false;
}

}  // namespace qh::tools
