#include "tools/common/tool_main.h"

#include <cstdio>
#include <new>

#include "files/complete_file.h"
#include "tools/common/exit_status.h"
#include "tools/common/console_text.h"

namespace qh::tools {

int GuardedMain(const char* tool, int argc, char** argv, int (*run)(int argc, char** argv)) {
  RemoveTemporaryFilesOnInterrupt();
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    Print(stderr, "%s: out of memory\n", tool);
    return kExitFailed;
  }
}

}  // namespace qh::tools
