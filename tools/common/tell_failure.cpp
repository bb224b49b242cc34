#include "tools/common/tell_failure.h"

#include <cstdio>

#include "tools/common/standard_output.h"

namespace qh::tools {

void TellFailure(const char* tool, const IoError& error) {
  const bool writing =
      error.what == IoFailure::kCannotCreate || error.what == IoFailure::kWriteFailed;
  std::fprintf(stderr, "%s: cannot %s %s: %s\n", tool, writing ? "write" : "read",
               Shown(error.path).c_str(), error.reason.c_str());
}

}  // namespace qh::tools
