// The subcommands of ov2; each returns its exit code.
#pragma once

#include "tools/ov2/options.h"

namespace qh::ov2 {

int RunMake(const Options& options);
int RunRead(const Options& options);
int RunCheck(const Options& options);
int RunMap(const Options& options);

}  // namespace qh::ov2
