// ov2: makes, reads, checks and maps TomTom overlays on the command line.
#include <cstdio>

#include "files/complete_file.h"
#include "tools/common/exit_status.h"
#include "tools/ov2/commands.h"
#include "tools/common/tool_main.h"
#include "tools/ov2/options.h"

namespace {

int Run(int argc, char** argv) {
  using namespace qh::ov2;
  Options options;
  const int early = ParseOptions(argc, argv, options);
  if (early >= 0) return early;
  if (options.noSync) qh::SetFlushToDisk(false);
  switch (options.command) {
    case Command::kMake: return RunMake(options);
    case Command::kRead: return RunRead(options);
    case Command::kCheck: return RunCheck(options);
    case Command::kMap: return RunMap(options);
  }
  return qh::tools::kExitFailed;
}

}  // namespace

int main(int argc, char** argv) { return qh::tools::GuardedMain("ov2", argc, argv, Run); }
