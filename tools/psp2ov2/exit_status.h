// The exit codes of psp2ov2: those of every tool.
#pragma once

#include "tools/common/exit_status.h"

namespace qh::psp2ov2 {

using tools::kExitFailed;
using tools::kExitOk;
using tools::kExitSkipped;

}  // namespace qh::psp2ov2
