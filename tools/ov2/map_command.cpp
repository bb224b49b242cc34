// ov2 map: not yet drawn.
#include <cstdio>

#include "tools/common/exit_status.h"
#include "tools/ov2/commands.h"

namespace qh::ov2 {

int RunMap(const Options&) {
  std::fprintf(stderr, "ov2: map is not available in this build\n");
  return tools::kExitFailed;
}

}  // namespace qh::ov2
